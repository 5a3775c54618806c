// The window that asks for a network port for the main window's port chooser: one field for
// "tcp://host:port" or "rfc2217://host:port", drawn by the toolkit from "NetworkPort.xml", with
// "OK" and "Cancel". Like the plan window it disables its owner while it is up; what the user
// typed comes back through a callback, which says whether it is taken (a refused address keeps
// the window open with the reason under the field).
#pragma once

#include "ui/UIBase.h"
#include "ui/UIManager.h"

#include <functional>
#include <string>

class CNetworkPortWnd : public CWindowWnd, public INotifyUI {
public:
    // `chosen`: the user pressed OK (or Enter) with this text; returns "" when it is taken,
    // else the reason it is not. `closed`: the window is gone, with the port taken or not.
    using ChosenCallback = std::function<std::string(const std::string& address)>;
    using ClosedCallback = std::function<void(bool taken)>;

    // Opens the window centred over `owner`, its field holding `address`. Null when it could
    // not be built. The object deletes itself when its window is destroyed.
    static CNetworkPortWnd* Open(HWND owner, const std::string& address, ChosenCallback chosen,
                                 ClosedCallback closed);

    CPaintManagerUI& PaintManager() { return pm_; }
    CControlUI* FindControl(const std::string& name) const { return pm_.FindControl(name); }
    void Notify(TNotifyUI& msg) override;

protected:
    const char* GetWindowClassName() const override { return "OrvelNetworkPort"; }
    UINT GetClassStyle() const override { return CS_DBLCLKS; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    CNetworkPortWnd(std::string address, ChosenCallback chosen, ClosedCallback closed);
    LRESULT OnCreate();
    void OnOk();

    CPaintManagerUI pm_;
    std::string address_;
    ChosenCallback chosen_;
    ClosedCallback closed_;
    HWND owner_ = nullptr;
    bool taken_ = false;
};
