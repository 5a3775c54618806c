#include "serial/serial_line.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

speed_t SpeedFor(int baud) {
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return 0;
    }
}

std::string Reason(int error) {
    return std::strerror(error);
}

class CPosixSerialLine final : public ISerialLine {
public:
    ~CPosixSerialLine() override { Close(); }

    bool Open(const SerialLineSettings& settings, std::string& why) override {
        Close();
        const speed_t speed = SpeedFor(settings.baudRate);
        if (speed == 0) {
            why = "unsupported baud rate " + std::to_string(settings.baudRate);
            return false;
        }
        const int fd = ::open(settings.port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) {
            why = Reason(errno);
            return false;
        }
        // Another program holding the port: its lock tells; ours keeps others out meanwhile.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
            why = "in use by another program";
            ::close(fd);
            return false;
        }
        if (::ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY && errno != EINVAL) {
            why = Reason(errno);
            ::close(fd);
            return false;
        }
        termios tio = {};
        if (::tcgetattr(fd, &tio) != 0) {
            why = Reason(errno);
            ::close(fd);
            return false;
        }
        ::cfmakeraw(&tio);
        // No flow control whatever an earlier program left on: with a three-wire cable a
        // write would wait for ever for a CTS or an XON that never comes.
        tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
        tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB);
        tio.c_cflag |= settings.dataBits == 7 ? CS7 : settings.dataBits == 6 ? CS6
                       : settings.dataBits == 5 ? CS5 : CS8;
        if (settings.parity == 'E' || settings.parity == 'e')
            tio.c_cflag |= PARENB;
        if (settings.parity == 'O' || settings.parity == 'o')
            tio.c_cflag |= PARENB | PARODD;
        if (settings.stopBits == 2)
            tio.c_cflag |= CSTOPB;
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        ::cfsetispeed(&tio, speed);
        ::cfsetospeed(&tio, speed);
        if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
            why = Reason(errno);
            ::close(fd);
            return false;
        }
        ::tcflush(fd, TCIOFLUSH);
        fd_ = fd;
        return true;
    }

    void Close() override {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

    bool IsOpen() const override { return fd_ >= 0; }

    bool Write(const std::string& bytes, std::string& why) override {
        if (fd_ < 0) {
            why = "the port is not open";
            return false;
        }
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                pollfd p = {fd_, POLLOUT, 0};
                ::poll(&p, 1, 1000);
                continue;
            }
            why = Reason(n < 0 ? errno : EIO);
            return false;
        }
        ::tcdrain(fd_);
        return true;
    }

    std::string Read(int timeoutMs, std::string& why) override {
        std::string bytes;
        if (fd_ < 0) {
            why = "the port is not open";
            return bytes;
        }
        pollfd p = {fd_, POLLIN, 0};
        const int r = ::poll(&p, 1, timeoutMs);
        if (r < 0) {
            if (errno != EINTR)
                why = Reason(errno);
            return bytes;
        }
        if (r == 0)
            return bytes;
        if (p.revents & POLLIN) {
            char buffer[4096];
            for (;;) {
                const ssize_t n = ::read(fd_, buffer, sizeof(buffer));
                if (n > 0) {
                    bytes.append(buffer, static_cast<size_t>(n));
                    if (static_cast<size_t>(n) < sizeof(buffer))
                        break;
                    continue;
                }
                if (n < 0 && errno != EAGAIN && errno != EINTR)
                    why = Reason(errno);
                // Readable with nothing to read: the other end hung up.
                if (n == 0 && bytes.empty())
                    why = "the line was hung up";
                break;
            }
            if (bytes.empty() && why.empty() && (p.revents & (POLLHUP | POLLERR)))
                why = "the line was hung up";
        } else if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            // The other end is gone for now (a pty whose peer closed, an adapter pulled).
            why = "the line was hung up";
        }
        return bytes;
    }

    void DiscardInput() override {
        if (fd_ >= 0)
            ::tcflush(fd_, TCIFLUSH);
    }

private:
    int fd_ = -1;
};

} // namespace

std::unique_ptr<ISerialLine> MakeSystemSerialLine() {
    return std::make_unique<CPosixSerialLine>();
}

std::vector<SerialPortInfo> ListSerialLines(const std::string& /*where*/) {
    // USB adapters and the machine's own ports, by their stable names where the system has them.
    std::vector<SerialPortInfo> ports;
    if (DIR* dir = ::opendir("/dev")) {
        while (dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0 ||
                name.rfind("ttyS", 0) == 0 || name.rfind("ttyAMA", 0) == 0) {
                SerialPortInfo port;
                port.name = "/dev/" + name;
                if (name.rfind("ttyUSB", 0) == 0)
                    port.description = "USB serial adapter";
                else if (name.rfind("ttyACM", 0) == 0)
                    port.description = "USB modem (CDC ACM)";
                ports.push_back(port);
            }
        }
        ::closedir(dir);
    }
    std::sort(ports.begin(), ports.end(),
              [](const SerialPortInfo& a, const SerialPortInfo& b) { return a.name < b.name; });
    return ports;
}
