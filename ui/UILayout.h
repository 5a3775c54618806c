// The layout containers: vertical and horizontal flow (with an optional drag band that
// resizes the layout), tab pages (one visible child at a time), tiles (a grid of equal cells)
// and the child layout (content built from another skin file). The arithmetic lives in
// ui/UILayoutCore.*; these classes feed it their children and apply the result.
#pragma once

#include <string>

#include "ui/UIContainer.h"
#include "ui/UILayoutCore.h"

// Shared by the vertical and horizontal layouts: the drag band ("sepheight" / "sepwidth")
// that changes the layout's fixed size, at once ("sepimm") or when the button is released.
class CSeparatorLayoutUI : public CContainerUI {
public:
    UINT GetControlFlags() const override;
    bool DoEvent(TEventUI& event) override;
    void DoPostPaint(HDC hDC, const RECT& rcPaint) override;
    // "sepheight" (vertical) or "sepwidth" (horizontal), and "sepimm".
    void SetAttribute(const std::string& name, const std::string& value) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;

    int GetSepSize() const { return m_iSepSize; }
    void SetSepSize(int size) { m_iSepSize = size; }
    bool IsSepImmMode() const { return m_bImmMode; }
    void SetSepImmMode(bool immediately);
    // The drag band in client coordinates (empty without a separator); with bNew, the band at
    // the edge being dragged.
    RECT GetThumbRect(bool bNew = false) const;

protected:
    explicit CSeparatorLayoutUI(bool vertical) : m_bVertical(vertical) {}
    // Places the children along the flow: the vertical or horizontal rules.
    void LayoutFlow(RECT rc, bool bNeedInvalidate);

private:
    bool m_bVertical;
    int m_iSepSize = 0;
    bool m_bImmMode = false;
    bool m_bDragging = false;
    POINT m_ptLastMouse = {0, 0};
    RECT m_rcNewPos = {0, 0, 0, 0};
};

class CVerticalLayoutUI : public CSeparatorLayoutUI {
public:
    CVerticalLayoutUI() : CSeparatorLayoutUI(true) {}
    const char* GetClass() const override { return "VerticalLayoutUI"; }
    LPVOID GetInterface(const std::string& name) override;
};

class CHorizontalLayoutUI : public CSeparatorLayoutUI {
public:
    CHorizontalLayoutUI() : CSeparatorLayoutUI(false) {}
    const char* GetClass() const override { return "HorizontalLayoutUI"; }
    LPVOID GetInterface(const std::string& name) override;
};

class CTileLayoutUI : public CContainerUI {
public:
    const char* GetClass() const override { return "TileLayoutUI"; }
    LPVOID GetInterface(const std::string& name) override;
    void SetAttribute(const std::string& name, const std::string& value) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;

    SIZE GetItemSize() const { return m_szItem; }
    void SetItemSize(SIZE szItem);
    // The column count in use after the last layout (at least 1).
    int GetColumns() const { return m_nColumnsUsed; }
    // A fixed column count; values of 0 or less are ignored.
    void SetColumns(int nCols);

private:
    SIZE m_szItem = {0, 0};
    int m_nColumns = 0;
    int m_nColumnsUsed = 1;
};

class CTabLayoutUI : public CContainerUI {
public:
    const char* GetClass() const override { return "TabLayoutUI"; }
    LPVOID GetInterface(const std::string& name) override;
    void SetAttribute(const std::string& name, const std::string& value) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;

    // Adding: the first visible child while nothing is selected becomes the selection; every
    // other child is hidden, also one inserted before the selection (which then moves up).
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool RemoveAt(int iIndex) override;
    void RemoveAll() override;

    int GetCurSel() const { return m_iCurSel; }
    virtual bool SelectItem(int iIndex);
    bool SelectItem(CControlUI* pControl);

protected:
    int m_iCurSel = -1;
};

// A tab layout that a skin may ask to animate; pages switch like a plain tab layout.
class CAnimationTabLayoutUI : public CTabLayoutUI {
public:
    const char* GetClass() const override { return "AnimationTabLayoutUI"; }
    LPVOID GetInterface(const std::string& name) override;
};

// At Init, builds the skin file named by "xmlfile" into itself (as its only child). Nested
// child layouts are capped by CDialogBuilder::NestingScope, so a file that names itself ends
// after a few levels instead of recursing for ever.
class CChildLayoutUI : public CContainerUI {
public:
    const char* GetClass() const override { return "ChildLayoutUI"; }
    LPVOID GetInterface(const std::string& name) override;
    void SetAttribute(const std::string& name, const std::string& value) override;
    void DoInit() override;

    void SetChildLayoutXML(const std::string& file) { m_sXMLFile = file; }
    const std::string& GetChildLayoutXML() const { return m_sXMLFile; }

    // How a child layout builds its skin file and adds the result to itself (false when it
    // could not). The dialog builder sets it when the control factory is made, so that the
    // layouts need not know the builder; it also bounds how deeply child layouts may nest,
    // around the adding too, since adding initialises the child layouts inside.
    using FileBuilder = bool (*)(const std::string& file, CPaintManagerUI* manager,
                                 CContainerUI* into);
    static void SetFileBuilder(FileBuilder builder);

private:
    std::string m_sXMLFile;
};
