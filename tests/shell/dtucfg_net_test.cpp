// Ports across the network: dtucfg against the simulated device behind Debian's ser2net on
// 127.0.0.1, in raw TCP and in RFC 2217 (Telnet) mode.
#include "tests/shell/dtucfg_rig.h"

#include <netinet/in.h>
#include <sys/socket.h>

using namespace dtucfgrig;

namespace {

// A TCP port nobody listens on now.
int FreePort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    socklen_t length = sizeof(address);
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    close(s);
    return ntohs(address.sin_port);
}

// ser2net serving one tty on 127.0.0.1, raw or with RFC 2217.
class Server {
public:
    Server(const std::string& dir, const std::string& tty, bool telnet) : port_(FreePort()) {
        const std::string served = "127.0.0.1," + std::to_string(port_) +
                                 (telnet ? ":telnet:0:" : ":raw:0:") + tty +
                                 ":115200 8DATABITS NONE 1STOPBIT LOCAL" +
                                 (telnet ? " remctl" : "");
        process_ = std::make_unique<Process>("ser2net -n -u -P " + dir + "/ser2net" +
                                             std::to_string(port_) + ".pid -C \"" + served +
                                             "\" > " + dir + "/ser2net.log 2>&1");
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
    }
    std::string Url(bool telnet) const {
        return std::string(telnet ? "rfc2217" : "tcp") + "://127.0.0.1:" + std::to_string(port_);
    }
    void Stop() { process_.reset(); }

private:
    int port_;
    std::unique_ptr<Process> process_;
};

class NetworkTest : public DtucfgTest, public ::testing::WithParamInterface<bool> {};

TEST_P(NetworkTest, ReadWriteAndVerifyAcrossTheNetwork) {
    const bool telnet = GetParam();
    Simulator sim(dir);
    Server server(dir, sim.Port(), telnet);
    const std::string port = server.Url(telnet);
    const Result read = Dtucfg(dir, "read --port " + port + " --wait 0 --out " + dir + "/unit.cfg");
    ASSERT_EQ(read.code, 0) << read.err;
    EXPECT_NE(ReadFileText(dir + "/unit.cfg").find("Access Point Name:CMNET"), std::string::npos);
    Write(dir + "/part.cfg", "Protocol model:DCTCP\r\nServer's Port:9001\r\n");
    const Result write = Dtucfg(dir, "write --yes --port " + port + " --wait 0 --cfg " + dir +
                                         "/part.cfg");
    EXPECT_EQ(write.code, 0) << write.err;
    EXPECT_EQ(write.out, "Protocol model\tTRNS\tDCTCP\tverified\nServer's Port\t9000\t9001\tverified\n");
    EXPECT_EQ(SetCommands(sim.Transcript()), "At+PROMODE=DCTCP\nAT+PORT=9001\n");
    // Telnet's IAC bytes never reach the device.
    EXPECT_EQ(sim.Transcript().find('\xff'), std::string::npos);
}

TEST_P(NetworkTest, ADroppedConnectionIsAVanishedPort) {
    const bool telnet = GetParam();
    Simulator sim(dir);
    Server server(dir, sim.Port(), telnet);
    Background read(dir, "read --port " + server.Url(telnet) + " --wait 0");
    ASSERT_TRUE(WaitFor(dir + "/transcript", "+++"));
    sim.Control("fault late:8000");
    ASSERT_TRUE(WaitFor(dir + "/transcript", "AT+SHOW"));
    const auto dropped = std::chrono::steady_clock::now();
    server.Stop();
    EXPECT_EQ(read.Wait(), 3);
    EXPECT_LT(std::chrono::steady_clock::now() - dropped, std::chrono::seconds(4));
    EXPECT_NE(ReadFileText(dir + "/err").find("closed the connection"), std::string::npos)
        << ReadFileText(dir + "/err");
}

INSTANTIATE_TEST_SUITE_P(RawAndRfc2217, NetworkTest, ::testing::Values(false, true));

TEST_F(DtucfgTest, TwoUnitsAppliedThroughASerialServer) {
    Line line(dir);
    Server server(dir, line.Station(), true);
    Write(dir + "/template.cfg", "Protocol model:PROT\r\nServer's Ip:10.0.0.9\r\n");
    Write(dir + "/units.csv", "unit,Modem'sID number\r\nN-1,13900000041\r\nN-2,13900000042\r\n");
    Background apply(dir, "apply --port " + server.Url(true) + " --wait 30 --cfg " + dir +
                              "/template.cfg --units " + dir + "/units.csv --report " + dir +
                              "/report.csv");
    line.StartUnit(1);
    ASSERT_TRUE(WaitFor(dir + "/report.csv", ",N-1,", 30)) << ReadFileText(dir + "/err");
    line.StartUnit(2);
    EXPECT_EQ(apply.Wait(), 0) << ReadFileText(dir + "/err");
    const std::string report = ReadFileText(dir + "/report.csv");
    EXPECT_NE(report.find(",N-2,"), std::string::npos) << report;
    EXPECT_NE(report.find(",rfc2217://127.0.0.1:"), std::string::npos) << report;
    EXPECT_EQ(Lines(report), 3u) << report;
}

} // namespace
