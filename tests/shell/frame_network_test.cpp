// A network port in the main window: typed into the port chooser as a user would, remembered,
// and opened across the network. The test itself plays a raw TCP serial server (what a serial
// device server does): it relays 127.0.0.1 to the virtual COM port where the simulated device
// is, so the window talks to the device through its network line only.
#include "tests/shell/frame_fixture.h"

#include <winsock2.h>

#include <atomic>

namespace frametest {

class TcpSerialServer {
public:
    explicit TcpSerialServer(const std::string& com) {
        com_ = CreateFileA(("\\\\.\\" + com).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, 0, nullptr);
        if (com_ == INVALID_HANDLE_VALUE)
            return;
        DCB dcb = {};
        dcb.DCBlength = sizeof(dcb);
        GetCommState(com_, &dcb);
        dcb.BaudRate = 115200;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fBinary = TRUE;
        SetCommState(com_, &dcb);
        COMMTIMEOUTS timeouts = {MAXDWORD, 0, 10, 0, 0};
        SetCommTimeouts(com_, &timeouts);
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listen_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in at = {};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listen_, reinterpret_cast<sockaddr*>(&at), sizeof(at));
        listen(listen_, 1);
        int size = sizeof(at);
        getsockname(listen_, reinterpret_cast<sockaddr*>(&at), &size);
        port_ = ntohs(at.sin_port);
        relay_ = std::thread([this] { Relay(); });
    }
    ~TcpSerialServer() {
        stop_ = true;
        if (relay_.joinable())
            relay_.join();
        if (listen_ != INVALID_SOCKET)
            closesocket(listen_);
        if (com_ != INVALID_HANDLE_VALUE)
            CloseHandle(com_);
        WSACleanup();
    }
    bool Ready() const { return com_ != INVALID_HANDLE_VALUE && port_ != 0; }
    std::string Address() const { return "tcp://127.0.0.1:" + std::to_string(port_); }
    int Connections() const { return connections_; }

private:
    void Relay() {
        SOCKET peer = INVALID_SOCKET;
        char buffer[4096];
        while (!stop_) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(peer == INVALID_SOCKET ? listen_ : peer, &readable);
            timeval wait = {0, 10000};
            if (select(0, &readable, nullptr, nullptr, &wait) > 0) {
                if (peer == INVALID_SOCKET) {
                    peer = accept(listen_, nullptr, nullptr);
                    ++connections_;
                } else {
                    const int n = recv(peer, buffer, sizeof(buffer), 0);
                    if (n <= 0) {
                        closesocket(peer);
                        peer = INVALID_SOCKET;
                        continue;
                    }
                    DWORD written = 0;
                    WriteFile(com_, buffer, DWORD(n), &written, nullptr);
                }
            }
            DWORD got = 0;
            if (ReadFile(com_, buffer, sizeof(buffer), &got, nullptr) && got > 0 &&
                peer != INVALID_SOCKET)
                send(peer, buffer, int(got), 0);
        }
        if (peer != INVALID_SOCKET)
            closesocket(peer);
    }

    HANDLE com_ = INVALID_HANDLE_VALUE;
    SOCKET listen_ = INVALID_SOCKET;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::thread relay_;
};

TEST_F(FrameTest, ANetworkPortIsTypedIntoTheChooserAndTheDeviceReadThroughIt) {
    WritePrivateProfileStringA("Port", "Network", nullptr, GetConfigFile().c_str());
    TcpSerialServer server(wintest::Env("ORVEL_COM_PORT", "COM9"));
    ASSERT_TRUE(server.Ready());
    ASSERT_TRUE(Open());
    auto* ports = ControlAs<CComboUI>(Find("SerialPort"));
    ASSERT_NE(ports, nullptr);
    const int last = ports->GetCount() - 1;
    EXPECT_EQ(ports->GetItemAt(last)->GetText(), LookupText("ScanSerialPorts", "NetworkItem"));
    const std::string before = Text("SerialPort");

    // Picked, "Network port..." asks for the address; cancelled, the port before stays.
    ports->SelectItem(last);
    ASSERT_TRUE(PumpUntil([&] { return frame_->NetworkPortWindow() != nullptr; }, 3000));
    EXPECT_FALSE(IsWindowEnabled(hwnd_));
    ClickControl(frame_->NetworkPortWindow()->GetHWND(),
                 frame_->NetworkPortWindow()->FindControl("NetCancel"));
    ASSERT_TRUE(PumpUntil([&] { return frame_->NetworkPortWindow() == nullptr; }, 3000));
    EXPECT_EQ(Text("SerialPort"), before);

    // An address that is none is refused in the window's own words, and the window stays.
    ports->SelectItem(last);
    ASSERT_TRUE(PumpUntil([&] { return frame_->NetworkPortWindow() != nullptr; }, 3000));
    CNetworkPortWnd* asking = frame_->NetworkPortWindow();
    asking->FindControl("NetAddress")->SetText("tcp://no port here");
    ClickControl(asking->GetHWND(), asking->FindControl("NetOk"));
    ASSERT_EQ(frame_->NetworkPortWindow(), asking);
    EXPECT_TRUE(asking->FindControl("NetReason")->IsVisible());
    EXPECT_EQ(asking->FindControl("NetReason")->GetText(), LookupText("NetworkPort", "Refused"));
    wintest::SaveBmp(wintest::CaptureWindow(asking->GetHWND()),
                     wintest::ArtifactsDir() + "\\shell-" +
                         (GetLanguageIndex() == 0 ? "" : "zh-") + "network-port.bmp");

    // A real address: listed, chosen and remembered for the next start.
    asking->FindControl("NetAddress")->SetText(" " + server.Address() + " ");
    ClickControl(asking->GetHWND(), asking->FindControl("NetOk"));
    ASSERT_TRUE(PumpUntil([&] { return frame_->NetworkPortWindow() == nullptr; }, 3000));
    EXPECT_EQ(Text("SerialPort"), server.Address());
    EXPECT_TRUE(IsWindowEnabled(hwnd_));
    EXPECT_EQ(LoadNetworkPorts(), std::vector<std::string>{server.Address()});

    // Opened, the device is reached across the network: its setting mode, a whole read.
    Click("Open");
    ASSERT_TRUE(frame_->Link().IsOpen()) << Log();
    EXPECT_TRUE(PumpUntil([&] { return server.Connections() == 1; }, 3000));
    ASSERT_TRUE(PumpUntil([&] { return Enabled("Login"); }));
    Click("Login");
    ASSERT_TRUE(WaitForSettingMode(true, 15000)) << Log();
    ASSERT_TRUE(WaitForIdle());
    const size_t reads = Count(Transcript(), "AT+SHOW\r\n");
    Click("Load");
    ASSERT_TRUE(WaitForTranscript("AT+SHOW\r\n", reads + 1));
    ASSERT_TRUE(WaitForIdle());
    EXPECT_TRUE(frame_->Pages().IsDeviceRead()) << Log();
    EXPECT_FALSE(Text("CollectInterval").empty());
    Click("quit");
    WaitForIdle(3000);
    Click("Open"); // closes
    EXPECT_FALSE(frame_->Link().IsOpen());

    // The next start lists it again and chooses it (the port opened last).
    Destroy();
    ASSERT_TRUE(Open());
    EXPECT_EQ(Text("SerialPort"), server.Address());
    WritePrivateProfileStringA("Port", "Network", nullptr, GetConfigFile().c_str());
}

} // namespace frametest
