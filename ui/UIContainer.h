// CContainerUI: a control that owns an ordered list of child controls and lays them out in
// its client area (its rectangle minus the inset and visible scroll bars). The plain
// container stacks every child over the whole client area; the layouts derive from it and
// override SetPos. Scroll bars are CScrollBarUI children created by EnableScrollBar.
#pragma once

#include "ui/UIControl.h"
#include "ui/UIScrollBar.h"

class IContainerUI {
public:
    virtual ~IContainerUI() = default;
    virtual CControlUI* GetItemAt(int iIndex) const = 0;
    virtual int GetItemIndex(CControlUI* pControl) const = 0;
    virtual bool SetItemIndex(CControlUI* pControl, int iIndex) = 0;
    virtual int GetCount() const = 0;
    virtual bool Add(CControlUI* pControl) = 0;
    virtual bool AddAt(CControlUI* pControl, int iIndex) = 0;
    virtual bool Remove(CControlUI* pControl) = 0;
    virtual bool RemoveAt(int iIndex) = 0;
    virtual void RemoveAll() = 0;
};

class CContainerUI : public CControlUI, public IContainerUI, public IScrollOwner {
public:
    CContainerUI();
    ~CContainerUI() override;

    const char* GetClass() const override { return "ContainerUI"; }
    LPVOID GetInterface(const std::string& name) override;

    // IContainerUI.
    CControlUI* GetItemAt(int iIndex) const override;
    int GetItemIndex(CControlUI* pControl) const override;
    bool SetItemIndex(CControlUI* pControl, int iIndex) override;
    int GetCount() const override;
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl) override;
    bool RemoveAt(int iIndex) override;
    void RemoveAll() override;

    bool DoEvent(TEventUI& event) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetEnabled(bool enable = true) override;
    void SetMouseEnabled(bool enable = true) override;

    virtual RECT GetInset() const { return m_rcInset; }
    virtual void SetInset(RECT rcInset);
    virtual int GetChildPadding() const { return m_iChildPadding; }
    virtual void SetChildPadding(int padding);
    // 0 left, 1 centre, 2 right (DT_LEFT / DT_CENTER / DT_RIGHT).
    virtual UINT GetChildAlign() const { return m_iChildAlign; }
    virtual void SetChildAlign(UINT align);
    // 0 top, 4 vertical centre, 8 bottom (DT_TOP / DT_VCENTER / DT_BOTTOM).
    virtual UINT GetChildVAlign() const { return m_iChildVAlign; }
    virtual void SetChildVAlign(UINT align);
    virtual bool IsAutoDestroy() const { return m_bAutoDestroy; }
    virtual void SetAutoDestroy(bool autoDestroy) { m_bAutoDestroy = autoDestroy; }
    virtual bool IsDelayedDestroy() const { return m_bDelayedDestroy; }
    virtual void SetDelayedDestroy(bool delayed) { m_bDelayedDestroy = delayed; }
    virtual bool IsMouseChildEnabled() const { return m_bMouseChildEnabled; }
    virtual void SetMouseChildEnabled(bool enable = true);
    // The next selectable item (one answering "ListItem" that is visible and enabled) from
    // iIndex on in the given direction, or -1.
    virtual int FindSelectable(int iIndex, bool bForward = true) const;

    // The client area: the item rectangle minus the inset and visible scroll bars.
    RECT GetClientPos() const override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void Move(SIZE szOffset, bool bNeedInvalidate = true) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void SetAttribute(const std::string& name, const std::string& value) override;
    void SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit = true) override;
    CControlUI* FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags) override;

    // Places the floating child at iIndex (by fixed XY, float percent or float alignment).
    virtual void SetFloatPos(int iIndex);

    // Scrolling. Without scroll bars positions and ranges are 0 and the steps do nothing.
    virtual int GetScrollStepSize() const;
    virtual void SetScrollStepSize(int size) { m_nScrollStepSize = size > 0 ? size : 0; }
    SIZE GetScrollPos() const override;
    virtual SIZE GetScrollRange() const;
    void SetScrollPos(SIZE szPos, bool bMsg = true) override;
    virtual void LineUp();
    virtual void LineDown();
    void PageUp() override;
    void PageDown() override;
    virtual void HomeUp();
    virtual void EndDown();
    virtual void LineLeft();
    virtual void LineRight();
    void PageLeft() override;
    void PageRight() override;
    virtual void HomeLeft();
    virtual void EndRight();
    virtual void EnableScrollBar(bool bEnableVertical = true, bool bEnableHorizontal = false);
    virtual CScrollBarUI* GetVerticalScrollBar() const { return m_pVerticalScrollBar; }
    virtual CScrollBarUI* GetHorizontalScrollBar() const { return m_pHorizontalScrollBar; }
    // IScrollOwner: a bar that was resized or shown lays the container out again; mouse events
    // the bar does not take are the container's.
    void ScrollBarChanged() override { NeedUpdate(); }
    void ScrollBarPassesEvent(TEventUI& event) override { DoEvent(event); }

protected:
    // Shows, hides and places the scroll bars after a layout pass that needed cxRequired by
    // cyRequired pixels inside rc (the client area without the bars).
    virtual void ProcessScrollBar(RECT rc, int cxRequired, int cyRequired);
    bool IsVerticalScrollBarVisible() const;
    bool IsHorizontalScrollBarVisible() const;
    // Paints the visible children that meet rcPaint, clipped as the container's DoPaint does.
    void PaintChildren(HDC hDC, const RECT& rcPaint);

    std::vector<CControlUI*> m_items;
    RECT m_rcInset = {0, 0, 0, 0};
    int m_iChildPadding = 0;
    UINT m_iChildAlign = DT_LEFT;
    UINT m_iChildVAlign = DT_TOP;
    bool m_bAutoDestroy = true;
    bool m_bDelayedDestroy = true;
    bool m_bMouseChildEnabled = true;
    int m_nScrollStepSize = 0;

    CScrollBarUI* m_pVerticalScrollBar = nullptr;
    CScrollBarUI* m_pHorizontalScrollBar = nullptr;
    std::string m_sVerticalScrollBarStyle;
    std::string m_sHorizontalScrollBarStyle;
};
