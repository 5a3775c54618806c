// Lists and their items. CListUI is a scrollable list of rows (item controls) under an
// optional header; its rows and the items of combo boxes are "list items" that paint
// themselves from their owner's shared item settings (TListInfoUI) and report selection and
// activation to their owner (IListOwnerUI).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/UILayout.h"

// A list takes at most this many columns from its header.
constexpr int UILIST_MAX_COLUMNS = 32;

// Kinds of list owners (IListOwnerUI::GetListType).
constexpr UINT UILIST_TYPE_LIST = 1;
constexpr UINT UILIST_TYPE_COMBO = 2;

class CListHeaderUI;

// Item settings shared by all items of one list or combo.
struct TListInfoUI {
    int nColumns = 0;
    RECT rcColumn[UILIST_MAX_COLUMNS] = {};
    int nFont = -1;
    UINT uTextStyle = DT_VCENTER | DT_SINGLELINE;
    RECT rcTextPadding = {0, 0, 0, 0};
    DWORD dwTextColor = 0xFF000000;
    DWORD dwBkColor = 0;
    std::string sBkImage;
    bool bAlternateBk = false;
    DWORD dwSelectedTextColor = 0xFF000000;
    DWORD dwSelectedBkColor = 0xFFC1E3FF;
    std::string sSelectedImage;
    DWORD dwHotTextColor = 0xFF000000;
    DWORD dwHotBkColor = 0xFFE9F5FF;
    std::string sHotImage;
    DWORD dwDisabledTextColor = 0xFFCCCCCC;
    DWORD dwDisabledBkColor = 0;
    std::string sDisabledImage;
    DWORD dwLineColor = 0;
    bool bShowRowLine = false;
    bool bShowColumnLine = false;
    bool bShowHtml = false;
    bool bMultiExpandable = false;
};

// Applies one "item..." attribute of a list or combo to its item settings; false when the
// name is not one of them.
bool ApplyListInfoAttribute(const CControlUI& self, TListInfoUI& info, const std::string& name,
                            const std::string& value);

class IListOwnerUI {
public:
    virtual ~IListOwnerUI() = default;
    virtual UINT GetListType() = 0;
    virtual TListInfoUI* GetListInfo() = 0;
    virtual int GetCurSel() const = 0;
    virtual bool SelectItem(int iIndex, bool bTakeFocus = false) = 0;
    virtual bool SelectMultiItem(int iIndex, bool bTakeFocus = false) = 0;
    virtual bool UnSelectItem(int iIndex, bool bOthers = false) = 0;
    virtual bool DoEvent(TEventUI& event) = 0;
};

class IListUI : public IListOwnerUI {
public:
    virtual CListHeaderUI* GetHeader() const = 0;
    virtual CContainerUI* GetList() const = 0;
};

class IListItemUI {
public:
    virtual ~IListItemUI() = default;
    virtual int GetIndex() const = 0;
    virtual void SetIndex(int iIndex) = 0;
    virtual IListOwnerUI* GetOwner() = 0;
    virtual void SetOwner(CControlUI* pOwner) = 0;
    virtual bool IsSelected() const = 0;
    virtual bool Select(bool bSelect = true) = 0;
    virtual bool SelectMulti(bool bSelect = true) = 0;
    virtual bool IsExpanded() const = 0;
    virtual bool Expand(bool bExpand = true) = 0;
    virtual void DrawItemText(HDC hDC, const RECT& rcItem) = 0;
};

// The list-item side of a control (null when it is none).
IListItemUI* AsListItem(CControlUI* pControl);

// For a control in a row of a list: the control in the same place of the next (or previous)
// row that can take the focus, that row selected and scrolled into view; null when there is
// none (the last row, or a control in no list).
CControlUI* SameCellInNextRow(CControlUI* control, bool down);

// ---- Header ------------------------------------------------------------------------------------

class CListHeaderUI : public CHorizontalLayoutUI {
public:
    const char* GetClass() const override { return "ListHeaderUI"; }
    LPVOID GetInterface(const std::string& name) override;
    SIZE EstimateSize(SIZE szAvailable) override;
};

class CListHeaderItemUI : public CContainerUI {
public:
    const char* GetClass() const override { return "ListHeaderItemUI"; }
    LPVOID GetInterface(const std::string& name) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void SetAttribute(const std::string& name, const std::string& value) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

private:
    int m_iFont = -1;
    DWORD m_dwTextColor = 0;
    UINT m_uTextStyle = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    RECT m_rcTextPadding = {2, 0, 2, 0};
    std::string m_sNormalImage;
    std::string m_sSepImage;
    int m_iSepWidth = 4;
};

// ---- Items -------------------------------------------------------------------------------------

// The behaviour shared by both item kinds: owner, index, selection, hot state, events.
class CListItemCore : public IListItemUI {
public:
    int GetIndex() const override { return m_iIndex; }
    void SetIndex(int iIndex) override { m_iIndex = iIndex; }
    IListOwnerUI* GetOwner() override { return m_pOwner; }
    void SetOwner(CControlUI* pOwner) override;
    bool IsSelected() const override { return m_bSelected; }
    bool SelectMulti(bool bSelect = true) override;
    bool IsExpanded() const override { return false; }
    bool Expand(bool /*bExpand*/ = true) override { return false; }
    void DrawItemText(HDC, const RECT&) override {}

protected:
    // Handles the item events; false when the event is not an item event.
    bool ItemEvent(CControlUI* self, TEventUI& event);
    bool ItemSelect(CControlUI* self, bool bSelect);
    void DrawItemBk(CControlUI* self, HDC hDC, const RECT& rcItem);
    // A hidden item is no longer selected, nor the owner's current selection.
    void ItemHidden();
    // Tells the manager that the item was activated; false when `self` could not be.
    bool ItemActivate(CControlUI* self);
    // Handles an item event or passes it to the owner; false when the item's own base class
    // should handle it.
    bool ItemDoEvent(CControlUI* self, TEventUI& event);

    int m_iIndex = -1;
    bool m_bSelected = false;
    UINT m_uButtonState = 0;
    IListOwnerUI* m_pOwner = nullptr;
};

class CListElementUI : public CControlUI, public CListItemCore {
public:
    const char* GetClass() const override { return "ListElementUI"; }
    LPVOID GetInterface(const std::string& name) override;
    bool Select(bool bSelect = true) override { return ItemSelect(this, bSelect); }
    void SetVisible(bool visible = true) override;
    void SetEnabled(bool enable = true) override;
    bool Activate() override;
    bool DoEvent(TEventUI& event) override;
    void SetAttribute(const std::string& name, const std::string& value) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
};

// One line of text painted with the owner's item settings.
class CListLabelElementUI : public CListElementUI {
public:
    const char* GetClass() const override { return "ListLabelElementUI"; }
    LPVOID GetInterface(const std::string& name) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void DrawItemText(HDC hDC, const RECT& rcItem) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
};

// One text per column of the owner list's header.
class CListTextElementUI : public CListLabelElementUI {
public:
    const char* GetClass() const override { return "ListTextElementUI"; }
    LPVOID GetInterface(const std::string& name) override;
    std::string GetText(int iIndex) const;
    void SetText(int iIndex, const std::string& text);
    using CListLabelElementUI::GetText;
    using CListLabelElementUI::SetText;
    void DrawItemText(HDC hDC, const RECT& rcItem) override;

private:
    std::vector<std::string> m_aTexts;
};

// A row whose children (laid out horizontally) make up the item.
class CListContainerElementUI : public CHorizontalLayoutUI, public CListItemCore {
public:
    const char* GetClass() const override { return "ListContainerElementUI"; }
    LPVOID GetInterface(const std::string& name) override;
    bool Select(bool bSelect = true) override { return ItemSelect(this, bSelect); }
    void SetVisible(bool visible = true) override;
    void SetEnabled(bool enable = true) override;
    bool Activate() override;
    bool DoEvent(TEventUI& event) override;
    void SetAttribute(const std::string& name, const std::string& value) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
};

// ---- The list ----------------------------------------------------------------------------------

class CListUI;

// The body of a list: the vertical layout that holds the rows and scrolls.
class CListBodyUI : public CVerticalLayoutUI {
public:
    explicit CListBodyUI(CListUI* owner) : m_pOwner(owner) {}
    bool DoEvent(TEventUI& event) override;

private:
    CListUI* m_pOwner;
};

class CListUI : public CVerticalLayoutUI, public IListUI {
public:
    CListUI();

    const char* GetClass() const override { return "ListUI"; }
    LPVOID GetInterface(const std::string& name) override;
    UINT GetControlFlags() const override { return UIFLAG_TABSTOP; }

    // The container operations act on the rows.
    CControlUI* GetItemAt(int iIndex) const override;
    int GetItemIndex(CControlUI* pControl) const override;
    bool SetItemIndex(CControlUI* pControl, int iIndex) override;
    int GetCount() const override;
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl) override;
    bool RemoveAt(int iIndex) override;
    void RemoveAll() override;

    CListHeaderUI* GetHeader() const override { return m_pHeader; }
    CContainerUI* GetList() const override { return m_pList; }
    UINT GetListType() override { return UILIST_TYPE_LIST; }
    TListInfoUI* GetListInfo() override { return &m_ListInfo; }
    int GetCurSel() const override { return m_iCurSel; }
    std::vector<int> GetSelectedItems() const { return m_aSelItems; }
    bool SelectItem(int iIndex, bool bTakeFocus = false) override;
    bool SelectMultiItem(int iIndex, bool bTakeFocus = false) override;
    bool UnSelectItem(int iIndex, bool bOthers = false) override;
    void UnSelectAllItems();
    bool IsMultiSelect() const { return m_bMultiSel; }
    void SetMultiSelect(bool multi);
    bool GetScrollSelect() const { return m_bScrollSelect; }
    void SetScrollSelect(bool scrollSelect) { m_bScrollSelect = scrollSelect; }
    bool IsItemRSelected() const { return m_bRSelected; }
    void SetItemRSelected(bool rSelected) { m_bRSelected = rSelected; }
    void EnsureVisible(int iIndex);
    void Scroll(int dx, int dy);

    // Scrolling is the body's.
    SIZE GetScrollPos() const override;
    SIZE GetScrollRange() const override;
    void SetScrollPos(SIZE szPos, bool bMsg = true) override;
    void LineUp() override;
    void LineDown() override;
    void PageUp() override;
    void PageDown() override;
    void HomeUp() override;
    void EndDown() override;
    void EnableScrollBar(bool bEnableVertical = true, bool bEnableHorizontal = false) override;
    CScrollBarUI* GetVerticalScrollBar() const override;
    CScrollBarUI* GetHorizontalScrollBar() const override;

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    bool DoEvent(TEventUI& event) override;
    void SetAttribute(const std::string& name, const std::string& value) override;

private:
    void Renumber(int from);
    // Takes one of the list's own children (header, plain controls) out.
    bool RemoveOwnChild(CControlUI* pControl);
    // The next visible, enabled row from iIndex on in the given direction, or -1.
    int FindSelectableRow(int iIndex, bool bForward) const;

    CListHeaderUI* m_pHeader = nullptr;
    CListBodyUI* m_pList = nullptr;
    TListInfoUI m_ListInfo;
    int m_iCurSel = -1;
    std::vector<int> m_aSelItems;
    bool m_bScrollSelect = false;
    bool m_bMultiSel = false;
    bool m_bRSelected = false;
    bool m_bFixedScrollbar = false;
    bool m_bSelecting = false;
};
