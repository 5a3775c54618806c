// Serial ports across the network: a raw TCP serial server ("tcp://host:port", the bytes as
// they are) or a Telnet serial server with RFC 2217 ("rfc2217://host:port", the line settings
// set through the COM-PORT option). A dropped connection is a vanished port.
#include "serial/rfc2217.h"
#include "serial/serial_line.h"

#include <cerrno>
#include <chrono>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using Socket = SOCKET;
constexpr Socket kNoSocket = INVALID_SOCKET;
#define ORVEL_POLL WSAPoll
#else
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
using Socket = int;
constexpr Socket kNoSocket = -1;
#define ORVEL_POLL ::poll
#endif

namespace {

constexpr int kConnectMs = 5000;

std::string LastError() {
#ifdef _WIN32
    return "network error " + std::to_string(WSAGetLastError());
#else
    return std::strerror(errno);
#endif
}

void CloseSocket(Socket socket) {
#ifdef _WIN32
    closesocket(socket);
#else
    ::close(socket);
#endif
}

bool SetBlocking(Socket socket, bool blocking) {
#ifdef _WIN32
    u_long mode = blocking ? 0 : 1;
    return ioctlsocket(socket, FIONBIO, &mode) == 0;
#else
    const int flags = fcntl(socket, F_GETFL, 0);
    return fcntl(socket, F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK) == 0;
#endif
}

// "tcp://host:port" -> host, port; false when the name is not of that form.
bool SplitAddress(const std::string& name, bool& telnet, std::string& host, std::string& port) {
    const size_t scheme = name.find("://");
    if (scheme == std::string::npos)
        return false;
    telnet = name.compare(0, scheme, "rfc2217") == 0;
    std::string rest = name.substr(scheme + 3);
    while (!rest.empty() && rest.back() == '/')
        rest.pop_back();
    const size_t colon = rest.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == rest.size())
        return false;
    host = rest.substr(0, colon);
    port = rest.substr(colon + 1);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    return port.find_first_not_of("0123456789") == std::string::npos;
}

class CNetworkSerialLine final : public ISerialLine {
public:
    CNetworkSerialLine() {
#ifdef _WIN32
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
#endif
    }
    ~CNetworkSerialLine() override {
        Close();
#ifdef _WIN32
        WSACleanup();
#endif
    }

    bool Open(const SerialLineSettings& settings, std::string& why) override {
        Close();
        std::string host, port;
        if (!SplitAddress(settings.port, telnet_, host, port)) {
            why = "not a network port (tcp://host:port or rfc2217://host:port)";
            return false;
        }
        addrinfo hints = {};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (const int error = getaddrinfo(host.c_str(), port.c_str(), &hints, &found); error != 0) {
            why = "the address " + host + " is not found";
            return false;
        }
        why = "no address to connect to";
        for (addrinfo* at = found; at && socket_ == kNoSocket; at = at->ai_next) {
            Socket s = ::socket(at->ai_family, at->ai_socktype, at->ai_protocol);
            if (s == kNoSocket)
                continue;
            SetBlocking(s, false);
            const int started = ::connect(s, at->ai_addr, static_cast<int>(at->ai_addrlen));
            bool connected = started == 0;
            if (!connected) {
                pollfd p = {};
                p.fd = s;
                p.events = POLLOUT;
                if (ORVEL_POLL(&p, 1, kConnectMs) == 1) {
                    int error = 0;
                    socklen_t length = sizeof(error);
                    getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
                    connected = error == 0;
                    if (!connected)
                        why = std::strerror(error);
                } else {
                    why = "no answer from " + host + ":" + port;
                }
            }
            if (!connected) {
                CloseSocket(s);
                continue;
            }
            SetBlocking(s, true);
            int on = 1;
            setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof(on));
            socket_ = s;
        }
        freeaddrinfo(found);
        if (socket_ == kNoSocket) {
            why = "cannot connect to " + host + ":" + port + ": " + why;
            return false;
        }
        why.clear();
        stream_ = CTelnetStream();
        if (telnet_ && !SendRaw(CTelnetStream::Greeting() +
                                    CTelnetStream::LineSettings(settings.baudRate,
                                                                settings.dataBits,
                                                                settings.parity,
                                                                settings.stopBits),
                                why)) {
            Close();
            return false;
        }
        return true;
    }

    void Close() override {
        if (socket_ != kNoSocket)
            CloseSocket(socket_);
        socket_ = kNoSocket;
    }

    bool IsOpen() const override { return socket_ != kNoSocket; }

    bool Write(const std::string& bytes, std::string& why) override {
        if (socket_ == kNoSocket) {
            why = "the port is not open";
            return false;
        }
        return SendRaw(telnet_ ? CTelnetStream::Escape(bytes) : bytes, why);
    }

    std::string Read(int timeoutMs, std::string& why) override {
        std::string data;
        if (socket_ == kNoSocket) {
            why = "the port is not open";
            return data;
        }
        const auto deadline = std::chrono::steady_clock::now() +
                              std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
        // Telnet negotiations alone are no data: read on until data comes or the time is up.
        do {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            pollfd p = {};
            p.fd = socket_;
            p.events = POLLIN;
            const int ready = ORVEL_POLL(&p, 1, static_cast<int>(left < 0 ? 0 : left));
            if (ready < 0) {
                why = LastError();
                return data;
            }
            if (ready == 0)
                return data;
            char buffer[4096];
            const auto n = ::recv(socket_, buffer, sizeof(buffer), 0);
            if (n <= 0) {
                why = n == 0 ? "the network serial server closed the connection" : LastError();
                return data;
            }
            const std::string bytes(buffer, static_cast<size_t>(n));
            if (!telnet_)
                return bytes;
            std::string answer;
            data += stream_.Feed(bytes, answer);
            if (!answer.empty() && !SendRaw(answer, why))
                return data;
        } while (data.empty() && std::chrono::steady_clock::now() < deadline);
        return data;
    }

    void DiscardInput() override {
        std::string why;
        while (socket_ != kNoSocket && !Read(0, why).empty() && why.empty()) {
        }
    }

private:
    bool SendRaw(const std::string& bytes, std::string& why) {
        size_t done = 0;
        while (done < bytes.size()) {
#ifdef _WIN32
            const int n = ::send(socket_, bytes.data() + done, static_cast<int>(bytes.size() - done), 0);
#else
            const ssize_t n = ::send(socket_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
#endif
            if (n <= 0) {
                why = "the connection to the network serial server failed: " + LastError();
                return false;
            }
            done += static_cast<size_t>(n);
        }
        return true;
    }

    Socket socket_ = kNoSocket;
    bool telnet_ = false;
    CTelnetStream stream_;
};

} // namespace

std::unique_ptr<ISerialLine> MakeNetworkSerialLine() {
    return std::make_unique<CNetworkSerialLine>();
}
