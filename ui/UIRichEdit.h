// CRichEditUI: a windowless multi-line text box. The text itself lives in a rich-text
// services object of the system library "Riched20.dll", reached through a text host
// (CTxtWinHost) that answers the services' questions about the window, the caret, timers and
// scroll bars. The control routes the paint window's mouse and keyboard messages into the
// services as a message filter of its manager, and draws them into the window's paint DC.
//
// The services speak UTF-16; this control's interface is byte text in the ANSI code page,
// converted at the boundary.
#pragma once

#include <windows.h>
#include <richedit.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/UIContainer.h"

class CTxtWinHost;

class CRichEditUI : public CContainerUI, public IMessageFilterUI {
public:
    CRichEditUI();
    ~CRichEditUI() override;

    const char* GetClass() const override { return "RichEdit"; }
    LPVOID GetInterface(const std::string& name) override;
    UINT GetControlFlags() const override;

    // Settings (applied to the services at once when they exist).
    bool IsWantTab() const { return m_bWantTab; }
    void SetWantTab(bool want = true) { m_bWantTab = want; }
    bool IsWantReturn() const { return m_bWantReturn; }
    void SetWantReturn(bool want = true) { m_bWantReturn = want; }
    bool IsWantCtrlReturn() const { return m_bWantCtrlReturn; }
    void SetWantCtrlReturn(bool want = true) { m_bWantCtrlReturn = want; }
    bool IsTransparent() const { return m_bTransparent; }
    void SetTransparent(bool transparent = true);
    bool IsRich() const { return m_bRich; }
    void SetRich(bool rich = true);
    bool IsReadOnly() const { return m_bReadOnly; }
    void SetReadOnly(bool readOnly = true);
    bool IsMultiLine() const { return (m_lTwhStyle & ES_MULTILINE) != 0; }
    void SetMultiLine(bool multiLine = true);
    LONG GetWinStyle() const { return m_lTwhStyle; }
    void SetWinStyle(LONG style) { m_lTwhStyle = style; }
    int GetFont() const { return m_iFont; }
    void SetFont(int index);
    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetTextColor(DWORD color);
    RECT GetTextPadding() const { return m_rcTextPadding; }
    void SetTextPadding(RECT rc);
    int GetLimitText() const { return m_iLimitText; }
    void SetLimitText(int limit);

    // Placeholder shown while the text is empty and the control is not focused.
    const std::string& GetTipValue() const { return m_sTipValue; }
    void SetTipValue(const std::string& text);
    DWORD GetTipValueColor() const { return m_dwTipValueColor; }
    void SetTipValueColor(DWORD color);
    UINT GetTipValueAlign() const { return m_uTipValueAlign; }
    void SetTipValueAlign(UINT align);

    // State images.
    void SetNormalImage(const std::string& image);
    void SetHotImage(const std::string& image);
    void SetFocusedImage(const std::string& image);
    void SetDisabledImage(const std::string& image);

    // Text. Changes made through these calls are not reported as "textchanged"; only the
    // user's edits are.
    std::string GetText() const override;
    void SetText(const std::string& text) override;
    // Length in characters as the services count it (GTL_ flags of EM_GETTEXTLENGTHEX).
    long GetTextLength(DWORD flags = GTL_DEFAULT) const;
    // Inserts at the very end of the text.
    void AppendText(const std::string& text, bool canUndo = false);
    void ReplaceSel(const std::string& text, bool canUndo = false);
    void SetSel(long start, long end);
    void SetSelAll() { SetSel(0, -1); }
    // Sends a message to the text services. Without services the answer is 1 and nothing
    // happens. A key-down of Enter that the control does not want becomes "return".
    HRESULT TxSendMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) const;

    // Scrolling moves the services' view.
    SIZE GetScrollPos() const override;
    SIZE GetScrollRange() const override;
    void SetScrollPos(SIZE szPos, bool bMsg = true) override;
    void LineUp() override;
    void LineDown() override;
    void PageUp() override;
    void PageDown() override;
    void HomeUp() override;
    void EndDown() override;
    void LineLeft() override;
    void LineRight() override;
    void PageLeft() override;
    void PageRight() override;
    void HomeLeft() override;
    void EndRight() override;

    void DoInit() override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void Move(SIZE szOffset, bool bNeedInvalidate = true) override;
    void SetEnabled(bool enable = true) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    bool DoEvent(TEventUI& event) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void PaintStatusImage(HDC hDC) override;
    void SetAttribute(const std::string& name, const std::string& value) override;
    // Its sizes and its font (the text services hold their own copy) at the window's new DPI.
    void Rescale() override;

    // The texts of the context menu (copy, clear the selection, select all), in the program's
    // text encoding, each with its "&" mnemonic; an empty text keeps the built-in one.
    void SetContextMenuTexts(const std::string& copy, const std::string& clear,
                             const std::string& selectAll);
    // Items the owner adds below the built-in ones (ids from kFirstExtraCommand on), with a
    // check mark when `checked`; `run` is called with the chosen item's id.
    static constexpr int kFirstExtraCommand = 200;
    struct ExtraMenuItem {
        int id;
        std::string text;
        bool checked = false;
    };
    void SetExtraMenu(std::vector<ExtraMenuItem> items, std::function<void(int)> run);
    void SetExtraMenuChecked(int id, bool checked);
    // The context menu as it is shown (the caller destroys it).
    HMENU BuildContextMenu() const;

    // IMessageFilterUI: routes the paint window's input to the services.
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

    // Called by the text host.
    void OnTxNotify(DWORD iNotify, void* pv);
    void OnTxScrollChange();
    bool HasHost() const { return m_pTwh != nullptr; }

private:
    friend class CTxtWinHost;
    RECT TextArea() const;
    void PlaceScrollBar();
    // Gives the services the text area when it changed.
    void UpdateClientRect();
    // Replaces the text services by fresh ones holding m_sText.
    void RebuildServices();
    void RunMenuCommand(int id);
    void ShowContextMenu(POINT ptScreen);

    CTxtWinHost* m_pTwh = nullptr;
    bool m_bWantTab = true;
    bool m_bWantReturn = true;
    bool m_bWantCtrlReturn = true;
    bool m_bTransparent = true;
    bool m_bRich = true;
    bool m_bReadOnly = false;
    bool m_bWordWrap = false;
    bool m_bInited = false;
    bool m_bHot = false;
    // Set while this control changes the text itself, so that the services' change
    // notifications are not reported as the user's.
    int m_nProgrammatic = 0;
    LONG m_lTwhStyle = ES_MULTILINE;
    int m_iLimitText = 32767;
    int m_iFont = -1;
    DWORD m_dwTextColor = 0;
    RECT m_rcTextPadding = {0, 0, 0, 0};
    std::string m_sNormalImage, m_sHotImage, m_sFocusedImage, m_sDisabledImage;
    std::string m_sTipValue;
    std::string m_sMenuCopy, m_sMenuClear, m_sMenuSelectAll;
    std::vector<ExtraMenuItem> m_extraMenu;
    std::function<void(int)> m_runExtra;
    DWORD m_dwTipValueColor = 0xFFBAC0C5;
    UINT m_uTipValueAlign = DT_SINGLELINE | DT_LEFT;
    // An Enter key-down turned into "return": its WM_CHAR must not reach the services.
    bool m_bSwallowReturnChar = false;
};
