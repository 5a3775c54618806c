// The paint manager: one per toolkit window. It turns the window's messages into events for
// the windowless controls, keeps hover, capture, focus and Tab order, runs control timers
// and tooltips, lays the control tree out and paints it, and fans the controls'
// notifications out to the registered receivers. It also holds the window's named controls,
// fonts, images, default attribute lists, styles and option groups, plus a process-wide set
// of shared ones.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/UIDrawResources.h"
#include "ui/UIEvents.h"

class CControlUI;
class CPaintManagerUI;
class CAccessibleTree;

// Fonts, images, default attribute lists and styles: one set per window and one for the whole
// process, which a window falls back to. Fonts and images are shared pointers: one replaced
// under the same name stays alive in the retired list until the tables are cleared, so a
// pointer or handle that painting still holds never dangles.
struct TResourceTables {
    std::map<int, std::shared_ptr<TFontInfo>> fonts;
    std::map<std::string, std::shared_ptr<TImageInfo>> images;
    std::vector<std::shared_ptr<TFontInfo>> retiredFonts;
    std::vector<std::shared_ptr<TImageInfo>> retiredImages;
    std::map<std::string, std::string> defaultAttrs;
    std::map<std::string, std::string> styles;
    std::shared_ptr<TFontInfo> defaultFont; // a window's: null for the process-wide one
    void Clear() { *this = TResourceTables(); }
};

class CPaintManagerUI : public IDrawResources {
public:
    CPaintManagerUI();
    virtual ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    void Init(HWND hWnd, const char* pstrName = nullptr);

    // The window's dots per inch (96 at 100 %): every size of the skin is scaled by it when it
    // is read (sizes, positions, paddings, insets, borders, corner radii, fonts, image
    // destinations, the window's size, caption, size box and minimum size). Init takes the
    // window's own DPI; SetDpi changes it (then RescaleAll applies it to what was built).
    int GetDpi() const override { return m_dpi; }
    void SetDpi(int dpi);
    int Scale(int value) const { return ::MulDiv(value, m_dpi, 96); }
    RECT Scale(RECT rc) const { return RECT{Scale(rc.left), Scale(rc.top), Scale(rc.right), Scale(rc.bottom)}; }
    SIZE Scale(SIZE size) const { return SIZE{Scale(size.cx), Scale(size.cy)}; }
    // The DPI of a window's monitor (the system's when the system cannot tell).
    static int WindowDpi(HWND hwnd);
    // Declares the process aware of each monitor's DPI (per-monitor v2, else the system's), so
    // that windows get WM_DPICHANGED and their true DPI instead of being stretched. Once, before
    // the first window.
    static void DeclareDpiAwareness();
    // After SetDpi: the fonts are made again and every control and the window's own
    // attributes are read again from their skin values at the new scale.
    void RescaleAll();
    // The skin's window attributes, kept to be read again at another scale.
    void SetWindowAttributes(std::vector<std::pair<std::string, std::string>> attributes) {
        m_windowAttributes = std::move(attributes);
    }
    const std::vector<std::pair<std::string, std::string>>& WindowAttributes() const {
        return m_windowAttributes;
    }
    const std::string& GetName() const { return m_sName; }
    HWND GetPaintWindow() const { return m_hWndPaint; }
    HDC GetPaintDC() const override { return m_hDcPaint; }
    HWND GetTooltipWindow() const { return m_hwndTooltip; }
    POINT GetMousePos() const { return m_ptLastMousePos; }
    SIZE GetClientSize() const;

    // Control tree.
    bool AttachDialog(CControlUI* pControl);
    bool InitControls(CControlUI* pControl, CControlUI* pParent = nullptr);
    void ReapObjects(CControlUI* pControl);
    CControlUI* GetRoot() const { return m_pRoot; }
    CControlUI* FindControl(POINT pt) const;
    // A name not (yet) in the tree asks the name-miss handler first: a window that builds some
    // of its content later (pages not yet shown) builds it then, says whether it built
    // anything, and the name is looked up again.
    CControlUI* FindControl(const std::string& name) const;
    // Only what is in the tree now: builds nothing.
    CControlUI* FindBuiltControl(const std::string& name) const;
    void SetNameMissHandler(std::function<bool(const std::string& name)> handler) { m_nameMiss = std::move(handler); }
    CControlUI* FindSubControlByPoint(CControlUI* pParent, POINT pt) const;
    CControlUI* FindSubControlByName(CControlUI* pParent, const std::string& name) const;
    CControlUI* FindSubControlByClass(CControlUI* pParent, const std::string& className,
                                      int iIndex = 0);

    // Layout and painting.
    void Invalidate(RECT rcItem);
    void NeedUpdate() { m_bUpdateNeeded = true; }
    bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
    bool IsFirstLayout() const { return m_bFirstLayout; }

    // Notifications and receivers.
    void SendNotify(TNotifyUI& msg, bool bAsync = false);
    void SendNotify(CControlUI* pControl, const std::string& type, WPARAM wParam = 0,
                    LPARAM lParam = 0, bool bAsync = false);
    bool AddNotifier(INotifyUI* pControl);
    bool RemoveNotifier(INotifyUI* pControl);
    bool AddMessageFilter(IMessageFilterUI* pFilter);
    bool RemoveMessageFilter(IMessageFilterUI* pFilter);
    bool AddPreMessageFilter(IMessageFilterUI* pFilter);
    bool RemovePreMessageFilter(IMessageFilterUI* pFilter);
    bool AddTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator);
    bool RemoveTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator);
    bool AddPostPaint(CControlUI* pControl);
    bool RemovePostPaint(CControlUI* pControl);
    bool SetPostPaintIndex(CControlUI* pControl, int iIndex);
    void AddDelayedCleanup(CControlUI* pControl);
    void UsedVirtualWnd(bool bUsed) { m_bUsedVirtualWnd = bUsed; }

    // Focus and Tab order.
    CControlUI* GetFocus() const { return m_pFocus; }
    CControlUI* GetHover() const { return m_pEventHover; }
    void SetFocus(CControlUI* pControl);
    // Gives a control the focus at the next paint, once the layout has placed it (the focus
    // leaves the control that has it at once).
    void SetFocusNeeded(CControlUI* pControl);
    bool SetNextTabControl(bool bForward = true);
    // True while the Tab key moves the focus: a field taking it selects its text, as in every
    // dialog (a click places the caret instead).
    bool IsFocusFromTabKey() const { return m_bFocusFromTabKey; }
    // The first tab stop (in focus order) inside `subtree`; null when it holds none that is
    // shown and enabled.
    CControlUI* FirstTabStopIn(CControlUI* subtree) const;
    // Whether the keyboard has been used to move the focus: the focus is then drawn on every
    // control (a mouse-only user sees no frames).
    bool ShowsFocusCues() const { return m_bFocusCues; }
    void SetFocusCues(bool shown) { m_bFocusCues = shown; }

    // Accessibility: the window answers screen readers with a tree of its controls
    // (ui/UIAccessible.h), made when the first one asks. Changes are reported to them from then
    // on; before, reporting costs one test. The namer names a control as the window's pages
    // name it ("" leaves it to the tree's own rules).
    using AccessibleNamer = std::function<std::string(CControlUI*)>;
    void SetAccessibleNamer(AccessibleNamer namer) { m_accessibleNamer = std::move(namer); }
    const AccessibleNamer& GetAccessibleNamer() const { return m_accessibleNamer; }
    void NotifyAccessible(DWORD event, CControlUI* control) {
        if (m_accessible != nullptr)
            ReportAccessibleEvent(event, control);
    }
    // The tree, made now if no client has asked yet.
    CAccessibleTree& Accessible();

    // Mouse capture on behalf of a control.
    void SetCapture();
    void ReleaseCapture();
    bool IsCaptured() const { return m_bMouseCapture; }

    // Control timers.
    bool SetTimer(CControlUI* pControl, UINT nTimerID, UINT uElapse);
    bool KillTimer(CControlUI* pControl, UINT nTimerID);
    void KillTimer(CControlUI* pControl);
    void RemoveAllTimers();

    // Option groups.
    bool AddOptionGroup(const std::string& group, CControlUI* pControl);
    const std::vector<CControlUI*>* GetOptionGroup(const std::string& group) const;
    void RemoveOptionGroup(const std::string& group, CControlUI* pControl);
    void RemoveAllOptionGroups();

    // Fonts. A negative id, or one in neither table, means the default font.
    HFONT AddFont(int id, const std::string& face, int size, bool bold, bool underline, bool italic,
                  bool shared = false);
    HFONT GetFont(int id) override;
    TFontInfo* GetFontInfo(int id);
    TFontInfo* GetFontInfo(HFONT hFont);
    int GetFontHeight(int id) override;
    bool RemoveFont(int id, bool shared = false);
    void SetDefaultFont(const std::string& face, int size, bool bold, bool underline, bool italic,
                        bool shared = false);
    TFontInfo* GetDefaultFontInfo();
    // The face a font of the skin is made with: the skin's face, or, when the system lacks a
    // Chinese face the skin names, an installed face that has Chinese glyphs.
    static std::wstring InstalledFaceFor(const std::string& face);
    bool AddFontFile(const std::string& file);

    // Images. A name starting with a digit together with a resource type is a resource number;
    // otherwise a file under the resource path, else under the bare name.
    const TImageInfo* AddImage(const std::string& name, const std::string& type = "",
                               DWORD mask = 0, bool shared = false);
    const TImageInfo* GetImage(const std::string& name) const;
    const TImageInfo* GetImageEx(const std::string& name, const std::string& type = "",
                                 DWORD mask = 0) override;
    bool RemoveImage(const std::string& name, bool shared = false);
    // The parsed image attribute string, cached per (image, modify) pair.
    const TDrawInfo* GetDrawInfo(const std::string& image,
                                 const std::string& modify = "") override;

    // Default attribute lists (keyed by tag, exact case) and styles.
    void AddDefaultAttributeList(const std::string& tag, const std::string& list,
                                 bool shared = false);
    bool HasDefaultAttributeList(const std::string& tag) const;
    std::string GetDefaultAttributeList(const std::string& tag) const;
    void AddStyle(const std::string& name, const std::string& value, bool shared = false);
    bool HasStyle(const std::string& name) const;
    std::string GetStyle(const std::string& name) const;
    void SetForceShared(bool force) { m_bForceShared = force; }

    // Window settings of the skin's root element.
    SIZE GetInitSize() const { return m_szInitWindowSize; }
    void SetInitSize(int cx, int cy);
    RECT GetSizeBox() const { return m_rcSizeBox; }
    void SetSizeBox(const RECT& rcSizeBox) { m_rcSizeBox = rcSizeBox; }
    RECT GetCaptionRect() const { return m_rcCaption; }
    void SetCaptionRect(const RECT& rcCaption) { m_rcCaption = rcCaption; }
    SIZE GetRoundCorner() const { return m_szRoundCorner; }
    void SetRoundCorner(int cx, int cy) { m_szRoundCorner = {cx, cy}; }
    SIZE GetMinInfo() const { return m_szMinWindow; }
    void SetMinInfo(int cx, int cy) { m_szMinWindow = {cx, cy}; }
    SIZE GetMaxInfo() const { return m_szMaxWindow; }
    void SetMaxInfo(int cx, int cy) { m_szMaxWindow = {cx, cy}; }
    bool IsShowUpdateRect() const { return m_bShowUpdateRect; }
    void SetShowUpdateRect(bool show) { m_bShowUpdateRect = show; }
    BYTE GetOpacity() const { return m_nOpacity; }
    void SetOpacity(BYTE opacity);
    bool IsLayered() const { return m_bLayered; }
    void SetLayered(bool layered);
    BYTE GetLayeredOpacity() const { return m_nLayeredOpacity; }
    void SetLayeredOpacity(BYTE opacity) { m_nLayeredOpacity = opacity; }
    const std::string& GetLayeredImage() const { return m_sLayeredImage; }
    void SetLayeredImage(const std::string& image);
    bool IsNoActivate() const { return m_bNoActivate; }
    void SetNoActivate(bool noActivate) { m_bNoActivate = noActivate; }
    int GetHoverTime() const { return m_iHoverTime; }
    void SetHoverTime(int ms) { m_iHoverTime = ms < 0 ? 0 : ms; }
    bool IsOffscreenPaint() const { return m_bOffscreenPaint; }
    void SetOffscreenPaint(bool offscreen) { m_bOffscreenPaint = offscreen; }

    // Window shadow and GDI+ text settings: stored for the window; this toolkit draws neither.
    void SetShadowSize(int v) { m_shadow.size = v; }
    void SetShadowSharpness(int v) { m_shadow.sharpness = v; }
    void SetShadowDarkness(int v) { m_shadow.darkness = v; }
    void SetShadowPosition(int x, int y) { m_shadow.position = {x, y}; }
    void SetShadowColor(DWORD c) { m_shadow.color = c; }
    void SetShadowCorner(const RECT& rc) { m_shadow.corner = rc; }
    void SetShadowImage(const std::string& image) { m_shadow.image = image; }
    void ShowShadow(bool show) { m_shadow.show = show; }
    void SetUseGdiplusText(bool use) { m_bUseGdiplusText = use; }
    void SetGdiplusTextRenderingHint(int hint) { m_iGdiplusTextRenderingHint = hint; }

    // Default colours (0xAARRGGBB).
    DWORD GetDefaultDisabledColor() const;
    void SetDefaultDisabledColor(DWORD color, bool shared = false);
    DWORD GetDefaultFontColor() const;
    void SetDefaultFontColor(DWORD color, bool shared = false);
    DWORD GetDefaultLinkFontColor() const override;
    void SetDefaultLinkFontColor(DWORD color, bool shared = false);
    DWORD GetDefaultLinkHoverFontColor() const;
    void SetDefaultLinkHoverFontColor(DWORD color, bool shared = false);
    DWORD GetDefaultSelectedBkColor() const override;
    void SetDefaultSelectedBkColor(DWORD color, bool shared = false);

    // The window's message handler calls this for every message it does not handle itself,
    // and returns lRes when it returns true.
    bool MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    bool PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    bool TranslateAccelerator(MSG* pMsg);

    // Process-wide.
    static void MessageLoop();
    static bool TranslateMessage(const MSG* pMsg);
    // Resource access: these forward to CResourceAccess (ui/UIResource.h).
    static void SetInstance(HINSTANCE hInst);
    static HINSTANCE GetInstance();
    static std::string GetInstancePath();
    static void SetResourcePath(const std::string& path);
    static const std::string& GetResourcePath();
    static void Term();

private:
    // The message handler by message group; each returns true when it handled the message.
    bool OnWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    bool OnMouseMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    bool OnKeyMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    bool OnChildMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    // A button press: the window takes the focus (unless it never activates), the point is kept,
    // and the control under it is returned when it belongs to this window.
    CControlUI* ControlPressedAt(LPARAM lParam, POINT& pt);
    // The end of a press: the mouse is released and the pressed control returned, or null
    // when nothing was pressed.
    CControlUI* EndPress();
    struct TimerInfo {
        CControlUI* pSender = nullptr;
        UINT nLocalID = 0;
        HWND hWnd = nullptr;
        UINT uWinTimer = 0;
        bool bKilled = false;
    };
    struct ShadowSettings {
        int size = 0, sharpness = 0, darkness = 0;
        POINT position = {0, 0};
        DWORD color = 0;
        RECT corner = {0, 0, 0, 0};
        std::string image;
        bool show = false;
    };

    static CControlUI* CALLBACK __FindControlFromNameHash(CControlUI* pThis, LPVOID pData);
    static CControlUI* CALLBACK __FindControlFromCount(CControlUI* pThis, LPVOID pData);
    static CControlUI* CALLBACK __FindControlFromPoint(CControlUI* pThis, LPVOID pData);
    static CControlUI* CALLBACK __FindControlFromShortcut(CControlUI* pThis, LPVOID pData);
    static CControlUI* CALLBACK __FindControlFromUpdate(CControlUI* pThis, LPVOID pData);
    static CControlUI* CALLBACK __FindControlFromName(CControlUI* pThis, LPVOID pData);
    static CControlUI* CALLBACK __FindControlFromClass(CControlUI* pThis, LPVOID pData);

    void DeliverNotify(TNotifyUI& msg);
    void OnPaint();
    void ReleaseOffscreen();
    void ReleaseResources();
    UINT NextNativeTimerId();
    void ShowTooltip(CControlUI* pControl);
    void HideTooltip();
    std::shared_ptr<TFontInfo> CreateFontInfo(const std::string& face, int size, bool bold,
                                              bool underline, bool italic);
    void FireEvent(CControlUI* pControl, int type, POINT pt, WPARAM wParam, LPARAM lParam,
                   CControlUI* pSender = nullptr, char chKey = 0);
    bool IsLiveNotifier(INotifyUI* p) const;

    std::string m_sName;
    HWND m_hWndPaint = nullptr;
    HDC m_hDcPaint = nullptr;
    HDC m_hDcOffscreen = nullptr;
    HBITMAP m_hbmpOffscreen = nullptr;
    BYTE* m_pOffscreenBits = nullptr;
    HGDIOBJ m_hbmpOffscreenOld = nullptr;
    HWND m_hwndTooltip = nullptr;
    TOOLINFOW m_ToolTip = {};
    std::wstring m_sToolTipText;
    bool m_bTooltipShown = false;
    int m_iHoverTime = 400;
    bool m_bShowUpdateRect = false;
    bool m_bNoActivate = false;
    bool m_bOffscreenPaint = true;
    bool m_bLayered = false;
    BYTE m_nOpacity = 255;
    BYTE m_nLayeredOpacity = 255;
    std::string m_sLayeredImage;
    ShadowSettings m_shadow;
    bool m_bUseGdiplusText = false;
    int m_iGdiplusTextRenderingHint = 0;

    CControlUI* m_pRoot = nullptr;
    CControlUI* m_pFocus = nullptr;
    CControlUI* m_pFocusPending = nullptr; // SetFocusNeeded's control, until the next paint
    CControlUI* m_pEventHover = nullptr;
    CControlUI* m_pEventClick = nullptr;
    CControlUI* m_pEventKey = nullptr;
    POINT m_ptLastMousePos = {-1, -1};
    bool m_bMouseTracking = false;
    bool m_bMouseCapture = false;
    bool m_bFirstLayout = true;
    bool m_bUpdateNeeded = false;
    bool m_bFocusNeeded = false;
    bool m_bIsPainting = false;
    bool m_bAsyncNotifyPosted = false;
    bool m_bUsedVirtualWnd = false;
    bool m_bForceShared = false;

    SIZE m_szInitWindowSize = {0, 0};
    int m_dpi = 96;
    bool m_bFocusCues = false;
    std::unique_ptr<CAccessibleTree> m_accessible;
    AccessibleNamer m_accessibleNamer;
    std::function<bool(const std::string&)> m_nameMiss;
    mutable bool m_inNameMiss = false;
    void ReportAccessibleEvent(DWORD event, CControlUI* control);
    // Every shown, enabled tab stop of a subtree, in tree order.
    static std::vector<CControlUI*> TabStops(CControlUI* subtree);
    // The larger drawing chosen for each image at this DPI ("" when the skin has none).
    std::map<std::string, std::string> m_imageVariants;
    std::vector<std::pair<std::string, std::string>> m_windowAttributes;
    RECT m_rcSizeBox = {0, 0, 0, 0};
    RECT m_rcCaption = {0, 0, 0, 0};
    SIZE m_szRoundCorner = {0, 0};
    SIZE m_szMinWindow = {0, 0};
    SIZE m_szMaxWindow = {0, 0};

    std::vector<std::unique_ptr<TimerInfo>> m_aTimers;
    UINT m_uTimerID = 0x1000;
    std::vector<INotifyUI*> m_aNotifiers;
    std::vector<IMessageFilterUI*> m_aMessageFilters;
    std::vector<IMessageFilterUI*> m_aPreMessageFilters;
    std::vector<ITranslateAccelerator*> m_aTranslateAccelerators;
    std::vector<CControlUI*> m_aPostPaintControls;
    std::vector<CControlUI*> m_aDelayedCleanup;
    std::vector<TNotifyUI> m_aAsyncNotify;
    std::map<std::string, CControlUI*> m_mNameHash;
    std::map<std::string, std::vector<CControlUI*>> m_mOptionGroup;
    bool m_bFocusFromTabKey = false;

    // The window's own resource tables; the process-wide ones are Tables(true).
    TResourceTables m_resources;
    TResourceTables& Tables(bool shared);
    std::map<std::pair<std::string, std::string>, TDrawInfo> m_mDrawInfoHash;
    std::vector<HANDLE> m_aFontResources;
    // Image names that failed to load, so that painting does not read the disk again.
    std::map<std::string, bool> m_mFailedImages;

    // The window's own default colours; without one the process-wide colour applies.
    std::optional<DWORD> m_ownDisabledColor;
    std::optional<DWORD> m_ownFontColor;
    std::optional<DWORD> m_ownLinkFontColor;
    std::optional<DWORD> m_ownLinkHoverFontColor;
    std::optional<DWORD> m_ownSelectedBkColor;
};
