#include "shell/network_port_wnd.h"

#include "shell/toolkit_window.h"
#include "ui/UIControls.h"
#include "ui/UIDlgBuilder.h"
#include "ui/UITextWin.h"

CNetworkPortWnd::CNetworkPortWnd(std::string address, ChosenCallback chosen,
                                 ClosedCallback closed)
    : address_(std::move(address)), chosen_(std::move(chosen)), closed_(std::move(closed)) {}

CNetworkPortWnd* CNetworkPortWnd::Open(HWND owner, const std::string& address,
                                       ChosenCallback chosen, ClosedCallback closed) {
    auto* window = new CNetworkPortWnd(address, std::move(chosen), std::move(closed));
    window->owner_ = owner;
    if (!window->Create(owner, "", WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 520,
                        220)) {
        delete window; // nothing was created, so no final message will delete it
        return nullptr;
    }
    ShowSkinWindow(*window, window->pm_, owner);
    return window;
}

LRESULT CNetworkPortWnd::OnCreate() {
    pm_.Init(m_hWnd);
    CDialogBuilder builder;
    CControlUI* root = builder.Create("NetworkPort.xml", nullptr, nullptr, &pm_, nullptr);
    if (root == nullptr || !pm_.AttachDialog(root)) {
        delete root;
        return -1;
    }
    pm_.AddNotifier(this);
    if (CControlUI* title = pm_.FindControl("NetTitle"))
        ::SetWindowTextW(m_hWnd, uitext::Wide(title->GetText()).c_str());
    if (CControlUI* field = pm_.FindControl("NetAddress")) {
        field->SetText(address_);
        pm_.SetFocusNeeded(field);
    }
    return 0;
}

void CNetworkPortWnd::OnOk() {
    CControlUI* field = pm_.FindControl("NetAddress");
    const std::string address = field ? field->GetText() : std::string();
    const std::string refused = chosen_ ? chosen_(address) : std::string();
    if (refused.empty()) {
        taken_ = true;
        ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        return;
    }
    if (CControlUI* reason = pm_.FindControl("NetReason")) {
        reason->SetText(refused);
        reason->SetVisible(true);
    }
    if (field)
        pm_.SetFocus(field);
}

void CNetworkPortWnd::Notify(TNotifyUI& msg) {
    if (msg.pSender == nullptr || msg.sType != "click")
        return;
    const std::string name = msg.pSender->GetName();
    if (name == "NetOk")
        OnOk();
    else if (name == "NetCancel" || name == "NetClose")
        // Posted: the window (and its paint manager) must outlive the click being handled.
        ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
}

LRESULT CNetworkPortWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    switch (uMsg) {
    case WM_CREATE:
        return OnCreate();
    case WM_CLOSE:
        ::DestroyWindow(m_hWnd);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            ::DestroyWindow(m_hWnd);
            return 0;
        }
        if (wParam == VK_RETURN) {
            const std::string focused = pm_.GetFocus() ? pm_.GetFocus()->GetName() : "";
            if (focused != "NetCancel") {
                OnOk();
                return 0;
            }
        }
        break;
    default:
        break;
    }
    if (SkinWindowMessage(pm_, m_hWnd, owner_, false, uMsg, wParam, lParam, result))
        return result;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void CNetworkPortWnd::OnFinalMessage(HWND /*hWnd*/) {
    if (closed_)
        closed_(taken_);
    delete this;
}
