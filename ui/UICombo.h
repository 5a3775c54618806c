// CComboUI: the drop-down choice control. It owns a list of item controls (list items such as
// CListLabelElementUI), shows the text of the selected one, and lists them in a pop-up
// window (CComboWnd) with a paint manager of its own while it is dropped down. The items are
// never laid out inside the combo itself; the pop-up borrows them and gives them back when it
// closes. The pop-up never outlives the combo and is closed before the items change.
#pragma once

#include <windows.h>

#include <string>

#include "ui/UIList.h"

class CComboWnd;

class CComboUI : public CContainerUI, public IListOwnerUI {
public:
    CComboUI();
    ~CComboUI() override;

    const char* GetClass() const override { return "ComboUI"; }
    LPVOID GetInterface(const std::string& name) override;
    UINT GetControlFlags() const override;

    void DoInit() override;
    // The selected item's text; empty without a selection.
    std::string GetText() const override;
    void SetEnabled(bool enable = true) override;
    bool Activate() override;
    // The open drop-down window, or null.
    HWND GetDropWindow() const;
    // Closes an open drop-down at once.
    void CloseDropDown();

    std::string GetDropBoxAttributeList() const { return m_sDropBoxAttributes; }
    void SetDropBoxAttributeList(const std::string& list) { m_sDropBoxAttributes = list; }
    SIZE GetDropBoxSize() const { return m_szDropBox; }
    void SetDropBoxSize(SIZE size);
    bool GetScrollSelect() const { return m_bScrollSelect; }
    void SetScrollSelect(bool scrollSelect) { m_bScrollSelect = scrollSelect; }

    // The combo's own text.
    UINT GetTextStyle() const { return m_uTextStyle; }
    void SetTextStyle(UINT style);
    RECT GetTextPadding() const { return m_rcTextPadding; }
    void SetTextPadding(RECT rc);
    int GetFont() const { return m_iFont; }
    void SetFont(int font);
    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetTextColor(DWORD color);
    DWORD GetDisabledTextColor() const { return m_dwDisabledTextColor; }
    void SetDisabledTextColor(DWORD color);
    bool IsShowHtml() const { return m_bShowHtml; }
    void SetShowHtml(bool show);

    void SetNormalImage(const std::string& image);
    void SetHotImage(const std::string& image);
    void SetPushedImage(const std::string& image);
    void SetFocusedImage(const std::string& image);
    void SetDisabledImage(const std::string& image);

    // IListOwnerUI.
    UINT GetListType() override { return UILIST_TYPE_COMBO; }
    TListInfoUI* GetListInfo() override { return &m_ListInfo; }
    int GetCurSel() const override { return m_iCurSel; }
    // Whether the drop-down list is open.
    bool IsDroppedDown() const { return m_pWindow != nullptr; }
    // Selects the next item (after the current one, wrapping) whose text starts with `letter`,
    // in any case; false when none does.
    bool SelectByLetter(wchar_t letter);
    bool SelectItem(int iIndex, bool bTakeFocus = false) override;
    bool SelectMultiItem(int iIndex, bool bTakeFocus = false) override {
        return SelectItem(iIndex, bTakeFocus);
    }
    bool UnSelectItem(int /*iIndex*/, bool /*bOthers*/ = false) override { return false; }

    // Item changes close an open drop-down first and keep indices and selection right.
    bool SetItemIndex(CControlUI* pControl, int iIndex) override;
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl) override;
    bool RemoveAt(int iIndex) override;
    void RemoveAll() override;

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void Move(SIZE szOffset, bool bNeedInvalidate = true) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    CControlUI* FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) override;
    bool DoEvent(TEventUI& event) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;
    void SetAttribute(const std::string& name, const std::string& value) override;

private:
    friend class CComboWnd;
    void Renumber(int from);
    // Selects the next selectable item from iIndex in the given direction (if any).
    void SelectNext(int iIndex, bool bForward);

    CComboWnd* m_pWindow = nullptr;
    int m_iCurSel = -1;
    UINT m_uButtonState = 0;
    UINT m_uTextStyle = DT_VCENTER | DT_SINGLELINE;
    RECT m_rcTextPadding = {0, 0, 0, 0};
    int m_iFont = -1;
    DWORD m_dwTextColor = 0;
    DWORD m_dwDisabledTextColor = 0;
    bool m_bShowHtml = false;
    bool m_bScrollSelect = false;
    std::string m_sDropBoxAttributes;
    SIZE m_szDropBox = {0, 150};
    std::string m_sNormalImage, m_sHotImage, m_sPushedImage, m_sFocusedImage, m_sDisabledImage;
    TListInfoUI m_ListInfo;
};

class CComboBoxUI : public CComboUI {
public:
    const char* GetClass() const override { return "ComboBoxUI"; }
    LPVOID GetInterface(const std::string& name) override;
};
