// The serial port driver on Wine's real communications API, over the harness's virtual COM port
// whose other end echoes every byte back.
#include "serial/serial_port.h"

#include "base/messages.h"
#include "support/wintest.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <string>
#include <thread>
#include <vector>

namespace {

// What the owner window was sent, in order.
struct Recorder {
    std::vector<UINT> messages;
    std::string data;
    std::vector<DWORD> chunkSizes;
    int deliveriesWhileClosed = 0;
    CSerialPort* port = nullptr;
    // Set by a test: the data handler closes the port from inside the delivery.
    bool closeInsideDelivery = false;
    bool closedInsideDelivery = false;
};
Recorder* g_recorder = nullptr;
std::vector<std::string> g_boxes;

void RecordBox(const char* text) {
    g_boxes.emplace_back(text);
}

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (g_recorder && msg >= 0x0401 && msg <= 0x040A) {
        g_recorder->messages.push_back(msg);
        if (msg == WM_PORT_DATA) {
            if (g_recorder->port && !g_recorder->port->IsOpen()) {
                ++g_recorder->deliveriesWhileClosed;
                return 0;
            }
            char* bytes = reinterpret_cast<char*>(wParam);
            bytes[lParam] = 0; // the driver leaves a byte free behind the delivery
            g_recorder->data.append(bytes, size_t(lParam));
            g_recorder->chunkSizes.push_back(DWORD(lParam));
            if (g_recorder->closeInsideDelivery && g_recorder->port) {
                g_recorder->closeInsideDelivery = false;
                g_recorder->port->ClosePort();
                g_recorder->closedInsideDelivery = true;
            }
        }
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND MakeOwner() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SerialPortTestOwner";
    RegisterClassA(&wc);
    return CreateWindowA("SerialPortTestOwner", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         wc.hInstance, nullptr);
}

int ComNumber() {
    std::string name = wintest::Env("ORVEL_COM_PORT", "COM7");
    return std::atoi(name.c_str() + 3);
}

int ThreadCount() {
    int count = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL ok = Thread32First(snapshot, &entry); ok; ok = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            ++count;
    CloseHandle(snapshot);
    return count;
}

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_boxes.clear();
        CSerialPort::SetErrorBoxHook(RecordBox);
        owner = MakeOwner();
        ASSERT_NE(owner, nullptr);
        recorder.port = &port;
        g_recorder = &recorder;
    }
    void TearDown() override {
        if (port.IsOpen())
            port.ClosePort();
        g_recorder = nullptr;
        DestroyWindow(owner);
    }
    void Open() {
        ASSERT_TRUE(port.OpenPort(owner, LineSettings{ComNumber(), 115200}, EV_RXCHAR | EV_CTS));
        ASSERT_TRUE(port.StartPortThread());
        // Drain anything the echo still had from an earlier test.
        wintest::PumpUntil([] { return false; }, 100);
        recorder.data.clear();
        recorder.chunkSizes.clear();
        recorder.messages.clear();
    }
    void Send(const std::string& bytes) {
        const CSerialPort::SendResult sent = port.SendBytes(bytes.data(), DWORD(bytes.size()));
        EXPECT_TRUE(sent.Sent(DWORD(bytes.size())));
        EXPECT_EQ(sent.written, bytes.size());
        EXPECT_EQ(sent.error, 0u);
    }
    bool WaitForData(size_t size, int ms = 5000) {
        return wintest::PumpUntil([&] { return recorder.data.size() >= size; }, ms);
    }

    HWND owner = nullptr;
    Recorder recorder;
    CSerialPort port;
};

TEST_F(SerialPortTest, MissingPortFailsWithoutABox) {
    EXPECT_FALSE(port.OpenPort(owner, LineSettings{231, 9600}, 9));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(g_boxes.empty());
    const CSerialPort::SendResult sent = port.SendBytes("AT\r\n", 4);
    EXPECT_EQ(sent.written, 0u);
    EXPECT_TRUE(sent.notOpen);
}

TEST_F(SerialPortTest, AFailedConfigurationStepShowsItsBoxAndThePortStaysClosed) {
    // "Q" is no parity letter: the settings text is refused.
    SetLastError(0);
    ASSERT_FALSE(port.OpenPort(owner, LineSettings{ComNumber(), 9600, 'Q'}, EV_RXCHAR | EV_CTS));
    EXPECT_NE(GetLastError(), 0u) << "the system's reason is kept for the caller";
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(port.SendBytes("AT\r\n", 4).notOpen);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].rfind("WARNING:  BuildCommDCB() Failed with the following error: \n", 0),
              0u)
        << g_boxes[0];
    EXPECT_NE(g_boxes[0].find("\nPort: " + std::to_string(ComNumber()) + "\n"), std::string::npos);
    // The handle was closed again: the port opens at once with good settings.
    g_boxes.clear();
    Open();
    EXPECT_TRUE(g_boxes.empty());
    Send("ok");
    ASSERT_TRUE(WaitForData(2));
}

TEST_F(SerialPortTest, BytesGoBothWaysAndTheUnreportableLineEventIsDropped) {
    Open();
    std::string sent = "AT+SHOW\r\n";
    for (int i = 1; i < 256; ++i)
        sent += char(i);
    Send(sent);
    ASSERT_TRUE(WaitForData(sent.size())) << recorder.data.size();
    EXPECT_EQ(recorder.data, sent);
    // A pty cannot report CTS changes; the driver then listens for received characters alone
    // and says nothing about it. Where CTS can be reported, every wake-up reports it first.
    EXPECT_TRUE(g_boxes.empty()) << g_boxes.front();
    if (port.FellBackToReceiveOnly()) {
        EXPECT_EQ(port.GetEventMask(), DWORD(EV_RXCHAR));
        for (UINT m : recorder.messages)
            EXPECT_EQ(m, UINT(WM_PORT_DATA));
    } else {
        ASSERT_FALSE(recorder.messages.empty());
        EXPECT_EQ(recorder.messages.front(), UINT(WM_PORT_CTS));
    }
    std::printf("line-event fallback to received character alone: %s\n",
                port.FellBackToReceiveOnly() ? "yes" : "no");
}

TEST_F(SerialPortTest, LargeInputArrivesInDeliveriesOfAtMost4095Bytes) {
    Open();
    std::string sent;
    for (int i = 0; i < 9000; ++i)
        sent += char('A' + i % 26);
    // The window thread is busy while everything arrives, so the bytes pile up in the port.
    Send(sent);
    Sleep(300);
    ASSERT_TRUE(WaitForData(sent.size()));
    EXPECT_EQ(recorder.data, sent);
    for (DWORD size : recorder.chunkSizes)
        EXPECT_LE(size, CSerialPort::kMaxDelivery);
    EXPECT_GE(recorder.chunkSizes.size(), 3u);
}

TEST_F(SerialPortTest, WritesFromTwoThreadsDoNotInterleave) {
    Open();
    const std::string a(700, 'a'), b(700, 'b');
    std::thread other([&] {
        for (int i = 0; i < 10; ++i)
            port.SendBytes(b.data(), DWORD(b.size()));
    });
    for (int i = 0; i < 10; ++i)
        port.SendBytes(a.data(), DWORD(a.size()));
    other.join();
    ASSERT_TRUE(WaitForData(14000));
    ASSERT_EQ(recorder.data.size(), 14000u);
    for (size_t at = 0; at < recorder.data.size(); at += 700)
        EXPECT_EQ(recorder.data.substr(at, 700), std::string(700, recorder.data[at])) << at;
}

TEST_F(SerialPortTest, CloseWhileThePortThreadWaitsInADelivery) {
    Open();
    Send("hello");
    // The window thread does not pump: the port thread blocks in its delivery.
    Sleep(500);
    auto start = GetTickCount();
    port.ClosePort();
    auto took = GetTickCount() - start;
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.IsThreadAlive());
    // A delivery the thread had started is seen with the port closed; none comes afterwards.
    size_t messagesAtReturn = recorder.messages.size();
    wintest::PumpUntil([] { return false; }, 500);
    EXPECT_EQ(recorder.messages.size(), messagesAtReturn);
    EXPECT_TRUE(recorder.data.empty());
    std::printf("ClosePort during a blocked delivery returned after %lu ms (%d delivery seen "
                "closed)\n",
                took, recorder.deliveriesWhileClosed);
    // The lock was released: the port opens again and works.
    Open();
    Send("again");
    ASSERT_TRUE(WaitForData(5));
    EXPECT_EQ(recorder.data, "again");
}

TEST_F(SerialPortTest, CloseFromInsideTheDataHandler) {
    Open();
    recorder.closeInsideDelivery = true;
    Send("x");
    ASSERT_TRUE(wintest::PumpUntil([&] { return recorder.closedInsideDelivery; }));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(port.IsThreadAlive());
    EXPECT_TRUE(port.SendBytes("y", 1).notOpen);
}

TEST_F(SerialPortTest, ReopeningLeavesExactlyOnePortThread) {
    Open();
    port.ClosePort();
    Sleep(200);
    int before = ThreadCount();
    for (int i = 0; i < 8; ++i) {
        Open();
        port.ClosePort();
    }
    Open();
    // The port thread, and while a line-event wait is pending, Wine's own helper thread.
    int open = ThreadCount() - before;
    EXPECT_GE(open, 1);
    EXPECT_LE(open, 2);
    Send("still");
    ASSERT_TRUE(WaitForData(5));
    EXPECT_EQ(recorder.data, "still");
    port.ClosePort();
    Sleep(200);
    EXPECT_EQ(ThreadCount(), before);
}

TEST(SerialPortErrorBox, LongSystemTextsAreCut) {
    std::string shown;
    static std::string* target;
    target = &shown;
    CSerialPort::SetErrorBoxHook([](const char* text) { *target = text; });
    CSerialPort port;
    SetLastError(ERROR_ACCESS_DENIED);
    port.ShowPortError("SetCommState()");
    EXPECT_EQ(shown.rfind("WARNING:  SetCommState() Failed with the following error: \n", 0), 0u)
        << shown;
    EXPECT_LT(shown.size(), 200u);
    CSerialPort::SetErrorBoxHook(nullptr);
}

} // namespace

namespace {

bool ScratchExists(const char* name) {
    return GetFileAttributesA((wintest::ScratchDir() + "\\" + name).c_str()) !=
           INVALID_FILE_ATTRIBUTES;
}

void TouchScratch(const char* name) {
    wintest::WriteFileText(wintest::ScratchDir() + "\\" + name, "");
}

} // namespace

// The adapter is pulled while the port is open: a write says why it failed instead of passing
// for "0 bytes", and the port opens again once the adapter is back. (Last: the echo peer does
// not follow the adapter to its new pair.)
TEST_F(SerialPortTest, AWriteToAVanishedPortGivesTheSystemsReason) {
    Open();
    TouchScratch("unplug");
    ASSERT_TRUE(wintest::PumpUntil([] { return ScratchExists("unplugged"); }, 10000));
    Sleep(300);
    CSerialPort::SendResult sent;
    for (int i = 0; i < 20 && sent.error == 0; ++i) {
        sent = port.SendBytes("AT\r\n", 4);
        if (sent.error == 0)
            Sleep(100);
    }
    EXPECT_FALSE(sent.Sent(4));
    EXPECT_NE(sent.error, 0u) << "written " << sent.written;
    port.ClosePort();
    TouchScratch("replug");
    ASSERT_TRUE(wintest::PumpUntil([] { return ScratchExists("replugged"); }, 10000));
    Open(); // the port is there again (its echo peer stayed with the old pair)
    EXPECT_TRUE(port.IsOpen());
}
