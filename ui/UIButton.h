// The clickable controls: CButtonUI (push button with state images, state colours and fonts,
// optionally bound to a page of a tab layout), COptionUI (radio or toggle button, optionally
// in a named group of the paint manager) and CCheckBoxUI (an option that reports its new
// state, optionally toggled at the press).
#pragma once

#include <string>

#include "ui/UILabel.h"

class CButtonUI : public CLabelUI {
public:
    CButtonUI();

    const char* GetClass() const override { return "ButtonUI"; }
    LPVOID GetInterface(const std::string& name) override;
    UINT GetControlFlags() const override;

    // Sends "click", then selects the bound page of the bound tab layout.
    bool Activate() override;
    void SetEnabled(bool enable = true) override;
    bool DoEvent(TEventUI& event) override;
    void SetAttribute(const std::string& name, const std::string& value) override;

    UINT GetButtonState() const { return m_uButtonState; }

    const std::string& GetNormalImage() const { return m_sNormalImage; }
    void SetNormalImage(const std::string& image);
    const std::string& GetHotImage() const { return m_sHotImage; }
    void SetHotImage(const std::string& image);
    const std::string& GetPushedImage() const { return m_sPushedImage; }
    void SetPushedImage(const std::string& image);
    const std::string& GetFocusedImage() const { return m_sFocusedImage; }
    void SetFocusedImage(const std::string& image);
    const std::string& GetDisabledImage() const { return m_sDisabledImage; }
    void SetDisabledImage(const std::string& image);
    const std::string& GetHotForeImage() const { return m_sHotForeImage; }
    void SetHotForeImage(const std::string& image);
    // One strip image cut into statecount equal columns: normal, hot, pushed, disabled.
    const std::string& GetStateImage() const { return m_sStateImage; }
    void SetStateImage(const std::string& image);
    int GetStateCount() const { return m_nStateCount; }
    void SetStateCount(int count);

    void SetHotBkColor(DWORD color);
    DWORD GetHotBkColor() const { return m_dwHotBkColor; }
    void SetPushedBkColor(DWORD color);
    DWORD GetPushedBkColor() const { return m_dwPushedBkColor; }
    void SetDisabledBkColor(DWORD color);
    DWORD GetDisabledBkColor() const { return m_dwDisabledBkColor; }
    void SetHotTextColor(DWORD color);
    DWORD GetHotTextColor() const { return m_dwHotTextColor; }
    void SetPushedTextColor(DWORD color);
    DWORD GetPushedTextColor() const { return m_dwPushedTextColor; }
    void SetFocusedTextColor(DWORD color);
    DWORD GetFocusedTextColor() const { return m_dwFocusedTextColor; }
    void SetHotFont(int index);
    int GetHotFont() const { return m_iHotFont; }
    void SetPushedFont(int index);
    int GetPushedFont() const { return m_iPushedFont; }
    void SetFocusedFont(int index);
    int GetFocusedFont() const { return m_iFocusedFont; }

    void SetBindTabLayoutName(const std::string& name) { m_sBindTabLayoutName = name; }
    const std::string& GetBindTabLayoutName() const { return m_sBindTabLayoutName; }
    void SetBindTabLayoutIndex(int index) { m_iBindTabIndex = index; }
    int GetBindTabLayoutIndex() const { return m_iBindTabIndex; }

    void PaintBkColor(HDC hDC) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

protected:
    // Refreshes the focused and disabled bits before painting; in a disabled window the hot,
    // pushed and focused bits do not show.
    UINT PaintState();
    // Derives the normal, hot, pushed and disabled images from a strip (when no normal image
    // is set) into the four given strings.
    void DeriveStripImages(const std::string& strip, int count, std::string* out[4]);
    // The text colour and font for the current state (button rules).
    DWORD StateTextColor(UINT state);
    int StateFont(UINT state) const;
    void SelectBoundTab();

    UINT m_uButtonState = 0;
    std::string m_sNormalImage, m_sHotImage, m_sPushedImage, m_sFocusedImage, m_sDisabledImage;
    std::string m_sHotForeImage;
    std::string m_sStateImage;
    int m_nStateCount = 0;
    DWORD m_dwHotBkColor = 0, m_dwPushedBkColor = 0, m_dwDisabledBkColor = 0;
    DWORD m_dwHotTextColor = 0, m_dwPushedTextColor = 0, m_dwFocusedTextColor = 0;
    int m_iHotFont = -1, m_iPushedFont = -1, m_iFocusedFont = -1;
    int m_iBindTabIndex = -1;
    std::string m_sBindTabLayoutName;
};

class COptionUI : public CButtonUI {
public:
    COptionUI() = default;
    ~COptionUI() override;

    const char* GetClass() const override { return "OptionUI"; }
    LPVOID GetInterface(const std::string& name) override;
    // An option group (the page tabs) is one Tab stop, as a group of radio buttons is: the
    // selected option is the stop, the arrow keys move along the group.
    UINT GetControlFlags() const override;

    void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true) override;
    // The button activation ("click"), then a grouped option becomes selected and an
    // ungrouped one toggles.
    bool Activate() override;
    void SetEnabled(bool enable = true) override;
    void SetAttribute(const std::string& name, const std::string& value) override;
    // In a group the arrow keys select and focus the previous or next member that is shown
    // and enabled (the tabs of a tab strip, a row of radio buttons).
    bool DoEvent(TEventUI& event) override;

    bool IsSelected() const { return m_bSelected; }
    // Changes the selection. With a manager: a grouped option that becomes selected first
    // deselects the rest of its group (silently); "selectchanged" is sent by an ungrouped
    // option on every change and by a grouped one when it becomes selected.
    virtual void Selected(bool bSelected, bool bTriggerEvent = true);
    const std::string& GetGroup() const { return m_sGroupName; }
    void SetGroup(const std::string& name);

    const std::string& GetSelectedImage() const { return m_sSelectedImage; }
    void SetSelectedImage(const std::string& image);
    const std::string& GetSelectedHotImage() const { return m_sSelectedHotImage; }
    void SetSelectedHotImage(const std::string& image);
    const std::string& GetSelectedPushedImage() const { return m_sSelectedPushedImage; }
    void SetSelectedPushedImage(const std::string& image);
    const std::string& GetSelectedForeImage() const { return m_sSelectedForeImage; }
    void SetSelectedForeImage(const std::string& image);
    void SetSelectedStateImage(const std::string& image);
    void SetSelectedStateCount(int count);
    void SetSelectedBkColor(DWORD color);
    DWORD GetSelectedBkColor() const { return m_dwSelectedBkColor; }
    void SetSelectedTextColor(DWORD color);
    DWORD GetSelectedTextColor() const { return m_dwSelectedTextColor; }
    void SetSelectedFont(int index);
    int GetSelectedFont() const { return m_iSelectedFont; }

    void PaintBkColor(HDC hDC) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintForeImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

protected:
    // wParam of "selectchanged": 0 for an option.
    virtual WPARAM SelectChangedParam() const { return 0; }

    bool m_bSelected = false;
    std::string m_sGroupName;
    std::string m_sSelectedImage, m_sSelectedHotImage, m_sSelectedPushedImage;
    std::string m_sSelectedForeImage;
    std::string m_sSelectedStateImage;
    int m_nSelectedStateCount = 0;
    DWORD m_dwSelectedBkColor = 0;
    DWORD m_dwSelectedTextColor = 0;
    int m_iSelectedFont = -1;
};

class CCheckBoxUI : public COptionUI {
public:
    const char* GetClass() const override { return "CheckBoxUI"; }
    LPVOID GetInterface(const std::string& name) override;

    void SetCheck(bool bCheck) { Selected(bCheck); }
    bool GetCheck() const { return IsSelected(); }
    bool IsAutoCheck() const { return m_bAutoCheck; }
    void SetAutoCheck(bool bEnable) { m_bAutoCheck = bEnable; }

    bool DoEvent(TEventUI& event) override;
    void SetAttribute(const std::string& name, const std::string& value) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

protected:
    WPARAM SelectChangedParam() const override { return m_bSelected ? 1 : 0; }

private:
    // Without any image the box is drawn plainly at the left of the text.
    bool HasImages() const;
    RECT PlainBoxRect() const;

    bool m_bAutoCheck = false;
};
