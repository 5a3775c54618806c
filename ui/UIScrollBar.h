// CScrollBarUI: the scroll bar of every scrolling container. Two arrow buttons (each as long
// as the bar is thick) step by the line size with auto-repeat while held, a press on the
// track pages, and the thumb can be dragged. Every change of position goes through the owner's
// SetScrollPos, which moves the content and sets the bar's position back.
// Without images the bar draws itself in plain colours.
#pragma once

#include <string>

#include "ui/UIControl.h"
#include "ui/UILayoutCore.h"

// The control a scroll bar scrolls (a container implements it). The bar reads and moves the
// owner's position, pages it, tells it when the bar's own size or visibility changed, and hands
// it the mouse events the bar does not take itself.
class IScrollOwner {
public:
    virtual SIZE GetScrollPos() const = 0;
    virtual void SetScrollPos(SIZE szPos, bool bMsg = true) = 0;
    virtual void PageUp() = 0;
    virtual void PageDown() = 0;
    virtual void PageLeft() = 0;
    virtual void PageRight() = 0;
    virtual void ScrollBarChanged() = 0;
    virtual void ScrollBarPassesEvent(TEventUI& event) = 0;

protected:
    ~IScrollOwner() = default;
};

class CScrollBarUI : public CControlUI {
public:
    // The default thickness of a bar.
    static constexpr int kDefaultSize = 16;

    CScrollBarUI();

    const char* GetClass() const override { return "ScrollBarUI"; }
    LPVOID GetInterface(const std::string& name) override;
    UINT GetControlFlags() const override { return 0; }

    IScrollOwner* GetOwner() const { return m_pOwner; }
    void SetOwner(IScrollOwner* pOwner) { m_pOwner = pOwner; }

    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool horizontal = true);
    int GetScrollRange() const { return m_nRange; }
    void SetScrollRange(int range);
    int GetScrollPos() const { return m_nScrollPos; }
    void SetScrollPos(int pos);
    int GetLineSize() const { return m_nLineSize; }
    // A line size below 1 is taken as 1 (it divides the position in the "scroll"
    // notification and drives the arrow buttons).
    void SetLineSize(int size);

    bool GetShowButton1() const { return m_bShowButton1; }
    void SetShowButton1(bool show);
    bool GetShowButton2() const { return m_bShowButton2; }
    void SetShowButton2(bool show);

    // Part images, one per state: 0 normal, 1 hot, 2 pushed, 3 disabled.
    enum Part { kButton1 = 0, kButton2, kThumb, kRail, kBk, kPartCount };
    void SetPartImage(Part part, int state, const std::string& image);
    const std::string& GetPartImage(Part part, int state) const;

    // Geometry of the last SetPos (client coordinates).
    const uilayout::ScrollBarGeometry& GetGeometry() const { return m_geometry; }
    RECT GetThumbRect() const;
    RECT GetButton1Rect() const;
    RECT GetButton2Rect() const;

    void SetEnabled(bool enable = true) override;
    void SetVisible(bool visible = true) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    bool DoEvent(TEventUI& event) override;
    void SetAttribute(const std::string& name, const std::string& value) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

private:
    enum Action { kNone = 0, kLineBack, kLineForward, kPageBack, kPageForward };
    static constexpr UINT kRepeatTimerId = 10;
    static constexpr UINT kRepeatDelayMs = 300;
    static constexpr UINT kRepeatIntervalMs = 50;

    void UpdateGeometry();
    // Asks the owner to move its content (or, without owner, moves the bar alone).
    void ScrollTo(int pos);
    void Perform(Action action);
    void PaintPart(HDC hDC, Part part, UINT state, const RECT& rc);
    int Along(POINT pt) const { return m_bHorizontal ? pt.x : pt.y; }

    IScrollOwner* m_pOwner = nullptr;
    bool m_bHorizontal = false;
    int m_nRange = 100;
    int m_nScrollPos = 0;
    int m_nLineSize = 8;
    bool m_bShowButton1 = true;
    bool m_bShowButton2 = true;

    uilayout::ScrollBarGeometry m_geometry;
    UINT m_uButton1State = 0;
    UINT m_uButton2State = 0;
    UINT m_uThumbState = 0;
    UINT m_uTrackState = 0;
    Action m_repeat = kNone;
    bool m_bRepeatStarted = false;
    POINT m_ptLastMouse = {0, 0};
    int m_nDragStartThumb = 0; // leading edge of the thumb when the drag began
    int m_nDragStartMouse = 0;

    std::string m_images[kPartCount][4];
};
