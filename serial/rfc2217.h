// The Telnet side of a network serial port (RFC 854 and RFC 2217): the data bytes are taken out
// of the Telnet stream (an IAC byte doubled, negotiations and subnegotiations removed and
// answered), the data sent has its IAC bytes doubled, and the line settings of the server's
// serial port are set with COM-PORT-OPTION subnegotiations.
#pragma once

#include <string>

class CTelnetStream {
public:
    // What a client says first: binary both ways, no go-ahead, and the COM-PORT option.
    static std::string Greeting();
    // The subnegotiations that set the server's baud rate, data bits, parity and stop bits.
    static std::string LineSettings(int baud, int dataBits, char parity, int stopBits);
    // Data to send, with every IAC (0xFF) doubled.
    static std::string Escape(const std::string& data);

    // Takes received bytes; returns the data among them. `answer` gets what must be sent back
    // (refusals of options this client does not do). A sequence cut between two reads is kept
    // for the next.
    std::string Feed(const std::string& bytes, std::string& answer);
    // Whether the server agreed to the COM-PORT option (so the line settings took effect).
    bool ComPortAccepted() const { return comPort_; }

private:
    enum class State { Data, Command, Option, Sub, SubCommand };
    State state_ = State::Data;
    unsigned char command_ = 0;
    std::string sub_;
    bool comPort_ = false;
    bool answered_[256] = {};
};
