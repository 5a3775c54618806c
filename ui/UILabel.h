// Static text controls: CLabelUI (one text with font, colours, alignment, padding and
// optional inline markup), CTextUI (multi-line text whose {a} links raise "link") and
// CGroupBoxUI (a vertical layout framed by a titled border).
#pragma once

#include <string>
#include <vector>

#include "ui/UILayout.h"

class CLabelUI : public CControlUI {
public:
    CLabelUI() = default;

    const char* GetClass() const override { return "LabelUI"; }
    LPVOID GetInterface(const std::string& name) override;

    // DT_ flags: left / centre / right, top / vertical centre / bottom, single line, word
    // break, end ellipsis, no prefix.
    void SetTextStyle(UINT uStyle);
    UINT GetTextStyle() const { return m_uTextStyle; }
    void SetTextColor(DWORD dwTextColor);
    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetDisabledTextColor(DWORD dwTextColor);
    DWORD GetDisabledTextColor() const { return m_dwDisabledTextColor; }
    void SetFont(int index);
    int GetFont() const { return m_iFont; }
    RECT GetTextPadding() const { return m_rcTextPadding; }
    void SetTextPadding(RECT rc);
    bool IsShowHtml() const { return m_bShowHtml; }
    void SetShowHtml(bool bShowHtml = true);
    bool GetAutoCalcWidth() const { return m_bAutoCalcWidth; }
    void SetAutoCalcWidth(bool bAutoCalcWidth);

    // Fixed width (or, with auto-calculate width, the text width plus the horizontal text
    // padding); fixed height, or the font height + 4.
    SIZE EstimateSize(SIZE szAvailable) override;
    void SetText(const std::string& text) override;
    bool DoEvent(TEventUI& event) override;
    void SetAttribute(const std::string& name, const std::string& value) override;
    void PaintText(HDC hDC) override;

protected:
    // The text colour and the disabled colour, with 0 replaced by the manager's defaults.
    DWORD EffectiveTextColor();
    DWORD EffectiveDisabledTextColor();
    // Draws the text in rc (item rectangle minus text padding) with these settings.
    void DrawLabelText(HDC hDC, RECT rc, DWORD color, int font, UINT style,
                       RECT* prcLinks = nullptr, std::string* sLinks = nullptr,
                       int* pnLinks = nullptr);
    SIZE MeasureText();

    int m_iFont = -1;
    DWORD m_dwTextColor = 0;
    DWORD m_dwDisabledTextColor = 0;
    UINT m_uTextStyle = DT_VCENTER | DT_SINGLELINE;
    RECT m_rcTextPadding = {0, 0, 0, 0};
    bool m_bShowHtml = false;
    bool m_bAutoCalcWidth = false;
};

class CTextUI : public CLabelUI {
public:
    // Links recorded per paint; further links are drawn but not clickable.
    static constexpr int kMaxLinks = 8;

    CTextUI();

    const char* GetClass() const override { return "TextUI"; }
    LPVOID GetInterface(const std::string& name) override;
    UINT GetControlFlags() const override;

    int GetLinkCount() const { return m_nLinks; }
    // The link text of link i (its {a} argument), or empty.
    std::string GetLinkContent(int iIndex) const;
    RECT GetLinkRect(int iIndex) const;
    int GetHoverLink() const { return m_nHoverLink; }

    bool DoEvent(TEventUI& event) override;
    void PaintText(HDC hDC) override;

private:
    int LinkAt(POINT pt) const;

    RECT m_rcLinks[kMaxLinks] = {};
    std::string m_sLinks[kMaxLinks];
    int m_nLinks = 0;
    int m_nHoverLink = -1;
};

class CGroupBoxUI : public CVerticalLayoutUI {
public:
    CGroupBoxUI();

    const char* GetClass() const override { return "GroupBoxUI"; }
    LPVOID GetInterface(const std::string& name) override;

    void SetTextColor(DWORD dwTextColor);
    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetDisabledTextColor(DWORD dwTextColor);
    DWORD GetDisabledTextColor() const { return m_dwDisabledTextColor; }
    void SetFont(int index);
    int GetFont() const { return m_iFont; }
    UINT GetTextStyle() const { return m_uTextStyle; }

    // The frame (item rectangle shrunk by 5) and the title rectangle at the last paint.
    RECT GetFrameRect() const;
    RECT GetTitleRect() const { return m_rcTitle; }

    void SetAttribute(const std::string& name, const std::string& value) override;
    void PaintText(HDC hDC) override;
    void PaintBorder(HDC hDC) override;

private:
    RECT MeasureTitle(HDC hDC);

    int m_iFont = -1;
    DWORD m_dwTextColor = 0;
    DWORD m_dwDisabledTextColor = 0;
    UINT m_uTextStyle = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    RECT m_rcTitle = {0, 0, 0, 0};
};
