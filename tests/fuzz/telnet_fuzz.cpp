// Arbitrary bytes from a network serial server: the Telnet reader never crashes, never lets an
// IAC byte through except a doubled one, answers each option once at most, and reads the same
// data however the bytes are cut.
#include "fuzz_check.h"
#include "serial/rfc2217.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CTelnetStream whole;
    std::string answer;
    const std::string read = whole.Feed(bytes, answer);
    Check(read.size() <= bytes.size());
    Check(answer.size() <= 3 * 256);
    CTelnetStream cut;
    std::string answerCut;
    const size_t at = size ? data[0] % (size + 1) : 0;
    std::string readCut = cut.Feed(bytes.substr(0, at), answerCut);
    readCut += cut.Feed(bytes.substr(at), answerCut);
    Check(readCut == read);
    Check(answerCut == answer);
    // Escaped data read back is the data.
    CTelnetStream echo;
    std::string none;
    Check(echo.Feed(CTelnetStream::Escape(bytes), none) == bytes);
    return 0;
}
