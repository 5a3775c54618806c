#include "serial/rfc2217.h"

namespace {

constexpr unsigned char kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251;
constexpr unsigned char kSb = 250, kSe = 240;
constexpr unsigned char kBinary = 0, kSuppressGoAhead = 3, kComPort = 44;
constexpr unsigned char kSetBaud = 1, kSetDataSize = 2, kSetParity = 3, kSetStopSize = 4;

std::string Bytes(std::initializer_list<unsigned char> bytes) {
    std::string text;
    for (unsigned char b : bytes)
        text += static_cast<char>(b);
    return text;
}

std::string Sub(unsigned char command, const std::string& value) {
    return Bytes({kIac, kSb, kComPort, command}) + CTelnetStream::Escape(value) +
           Bytes({kIac, kSe});
}

} // namespace

std::string CTelnetStream::Greeting() {
    return Bytes({kIac, kWill, kBinary, kIac, kDo, kBinary, kIac, kWill, kSuppressGoAhead, kIac,
                  kDo, kSuppressGoAhead, kIac, kWill, kComPort});
}

std::string CTelnetStream::LineSettings(int baud, int dataBits, char parity, int stopBits) {
    const unsigned value = baud > 0 ? static_cast<unsigned>(baud) : 0;
    std::string rate;
    for (int shift = 24; shift >= 0; shift -= 8)
        rate += static_cast<char>((value >> shift) & 0xFF);
    const unsigned char parityCode = parity == 'O' || parity == 'o'   ? 2
                                     : parity == 'E' || parity == 'e' ? 3
                                                                      : 1;
    return Sub(kSetBaud, rate) + Sub(kSetDataSize, Bytes({static_cast<unsigned char>(dataBits)})) +
           Sub(kSetParity, Bytes({parityCode})) +
           Sub(kSetStopSize, Bytes({static_cast<unsigned char>(stopBits == 2 ? 2 : 1)}));
}

std::string CTelnetStream::Escape(const std::string& data) {
    std::string escaped;
    escaped.reserve(data.size());
    for (char c : data) {
        escaped += c;
        if (static_cast<unsigned char>(c) == kIac)
            escaped += c;
    }
    return escaped;
}

std::string CTelnetStream::Feed(const std::string& bytes, std::string& answer) {
    std::string data;
    for (char c : bytes) {
        const unsigned char b = static_cast<unsigned char>(c);
        switch (state_) {
        case State::Data:
            if (b == kIac)
                state_ = State::Command;
            else
                data += c;
            break;
        case State::Command:
            if (b == kIac) {
                data += c; // a doubled IAC is a data byte
                state_ = State::Data;
            } else if (b == kDo || b == kDont || b == kWill || b == kWont) {
                command_ = b;
                state_ = State::Option;
            } else if (b == kSb) {
                sub_.clear();
                state_ = State::Sub;
            } else {
                state_ = State::Data; // NOP, go-ahead and the like
            }
            break;
        case State::Option: {
            const bool ours = b == kBinary || b == kSuppressGoAhead || b == kComPort;
            if (command_ == kDo && b == kComPort)
                comPort_ = true;
            if (command_ == kDont && b == kComPort)
                comPort_ = false;
            // Options this client does not do are refused, once each.
            if (!ours && !answered_[b] && (command_ == kDo || command_ == kWill)) {
                answered_[b] = true;
                answer += Bytes({kIac, command_ == kDo ? kWont : kDont, b});
            }
            state_ = State::Data;
            break;
        }
        case State::Sub:
            if (b == kIac)
                state_ = State::SubCommand;
            else if (sub_.size() < 64)
                sub_ += c;
            break;
        case State::SubCommand:
            if (b == kSe) {
                // The server's answers to the COM-PORT settings (and its notifications) need
                // nothing from us.
                state_ = State::Data;
            } else {
                if (b == kIac && sub_.size() < 64)
                    sub_ += c;
                state_ = State::Sub;
            }
            break;
        }
    }
    return data;
}
