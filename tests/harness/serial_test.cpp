// The harness's virtual COM port: a pty pair whose device end is a COM port of the Wine prefix
// and whose other end runs a peer (here the echo peer). Bytes go both ways with overlapped I/O.
#include "support/wintest.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::string> RegisteredPorts() {
    std::vector<std::string> ports;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return ports;
    for (DWORD i = 0;; ++i) {
        char name[256];
        BYTE data[256];
        DWORD nameLength = sizeof(name), dataLength = sizeof(data) - 1, type = 0;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &dataLength) !=
            ERROR_SUCCESS)
            break;
        data[dataLength] = 0;
        if (type == REG_SZ)
            ports.emplace_back(reinterpret_cast<char*>(data));
    }
    RegCloseKey(key);
    return ports;
}

TEST(VirtualComPort, IsListedInTheRegistry) {
    std::string port = wintest::Env("ORVEL_COM_PORT");
    ASSERT_FALSE(port.empty());
    auto ports = RegisteredPorts();
    EXPECT_NE(std::find(ports.begin(), ports.end(), port), ports.end());
}

TEST(VirtualComPort, BytesGoBothWaysWithOverlappedIo) {
    std::string path = "\\\\.\\" + wintest::Env("ORVEL_COM_PORT");
    HANDLE port = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    ASSERT_NE(port, INVALID_HANDLE_VALUE) << GetLastError();

    DCB dcb = {};
    dcb.DCBlength = sizeof(dcb);
    ASSERT_TRUE(GetCommState(port, &dcb));
    ASSERT_TRUE(BuildCommDCBA("baud=115200 parity=N data=8 stop=1", &dcb));
    ASSERT_TRUE(SetCommState(port, &dcb));
    COMMTIMEOUTS timeouts = {MAXDWORD, 0, 0, 0, 5000};
    ASSERT_TRUE(SetCommTimeouts(port, &timeouts));
    PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR);

    std::string sent = "AT+SHOW\r\n";
    for (int i = 0; i < 256; ++i)
        sent += char(i); // every byte value, zero included
    OVERLAPPED write = {};
    write.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD written = 0;
    if (!WriteFile(port, sent.data(), DWORD(sent.size()), &written, &write)) {
        ASSERT_EQ(GetLastError(), DWORD(ERROR_IO_PENDING));
        ASSERT_TRUE(GetOverlappedResult(port, &write, &written, TRUE));
    }
    EXPECT_EQ(written, sent.size());

    std::string received;
    OVERLAPPED read = {};
    read.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD start = GetTickCount();
    while (received.size() < sent.size() && GetTickCount() - start < 5000) {
        char buffer[512];
        DWORD got = 0;
        ResetEvent(read.hEvent);
        if (!ReadFile(port, buffer, sizeof(buffer), &got, &read)) {
            ASSERT_EQ(GetLastError(), DWORD(ERROR_IO_PENDING));
            if (WaitForSingleObject(read.hEvent, 1000) != WAIT_OBJECT_0) {
                CancelIo(port);
                GetOverlappedResult(port, &read, &got, TRUE);
            } else {
                GetOverlappedResult(port, &read, &got, FALSE);
            }
        }
        received.append(buffer, got);
    }
    EXPECT_EQ(received, sent);
    CloseHandle(read.hEvent);
    CloseHandle(write.hEvent);
    CloseHandle(port);
}

} // namespace
