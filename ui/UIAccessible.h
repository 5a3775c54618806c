// The accessibility tree of a toolkit window: the window's client area answers WM_GETOBJECT with
// an IAccessible (MSAA, which UI Automation also exposes) whose children are the windowless
// controls, each an object of its own with its name, role, value, state, location, parent,
// children and default action. The tree is made when the first client asks and costs nothing
// before; from then on the paint manager reports focus, selection, value and state changes
// with NotifyWinEvent.
//
// Each control has a child id that stays its own for the window's life (a negative number, so
// that the root's get_accChild tells it from a child's position); events name a control by it.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <string>
#include <unordered_map>

#include "ui/UIAccessibleRole.h"

class CControlUI;
class CPaintManagerUI;

// The words a screen reader speaks for default actions and shortcuts; the program sets them in
// its own language once, for every window.
struct AccessibleWords {
    std::string press = "Press";
    std::string check = "Check";
    std::string uncheck = "Uncheck";
    std::string select = "Select";
    std::string open = "Open";
    std::string close = "Close";
    std::string switchTo = "Switch";
    std::string alt = "Alt";
};

// Behind every object of the tree: the control it stands for (null once the control is gone).
// For the program's own tests, which check the tree against the controls.
extern const IID IID_IAccessibleControl;
struct IAccessibleControl : public IUnknown {
    virtual CControlUI* STDMETHODCALLTYPE Control() = 0;
};

class CAccessibleTree {
public:
    explicit CAccessibleTree(CPaintManagerUI& manager);
    ~CAccessibleTree();
    CAccessibleTree(const CAccessibleTree&) = delete;
    CAccessibleTree& operator=(const CAccessibleTree&) = delete;

    // The answer to WM_GETOBJECT for the client area: the root, or the object of `control` (for
    // a native window that stands in for a control, such as an edit's while it is open).
    LRESULT AnswerGetObject(WPARAM wParam, CControlUI* control = nullptr);
    // Tells listening clients that something changed (EVENT_OBJECT_...).
    void Notify(DWORD event, CControlUI* control);
    // A control is going: its object answers "disconnected" from now on.
    void Forget(CControlUI* control);
    // Carries out a default action asked for earlier (posted, so that a client's call returns
    // before a button's work, which may show a box, begins).
    void RunDefaultAction(LPARAM childId);
    // The window message that carries a posted default action.
    static UINT ActionMessage();

    long ChildIdOf(CControlUI* control);
    CControlUI* ControlOfChildId(long childId) const;
    // The object of a control, with a reference for the caller.
    IAccessible* ObjectOf(CControlUI* control);
    CPaintManagerUI& Manager() const { return manager_; }

    static void SetWords(const AccessibleWords& words);
    static const AccessibleWords& Words();

    // What the tree shows of a control: its role (None: not shown), whether its children are
    // shown, its name and its value.
    AccRole RoleOf(CControlUI* control) const;
    std::string NameOf(CControlUI* control) const;
    std::string ValueOf(CControlUI* control) const;
    DWORD StateOf(CControlUI* control) const;

private:
    class CObject;
    CPaintManagerUI& manager_;
    std::unordered_map<CControlUI*, CObject*> objects_;
    std::unordered_map<CControlUI*, long> ids_;
    std::unordered_map<long, CControlUI*> controls_;
    long nextId_ = 1;
};

// The system's role number of a role.
LONG SystemRoleOf(AccRole role);
