// dtucfg as a contract for automation engines: the dry run predicts exactly what the real run
// sends, a second identical run changes nothing, every stdout line is JSON, the detailed exit
// codes, the catalogue as JSON and templates in JSON.
#include "tests/shell/dtucfg_rig.h"

#include "base/json.h"

#include <mutex>
#include <vector>

using namespace dtucfgrig;

namespace {

struct Case {
    std::string file;  // the .cfg (or JSON) file's text
    std::string sets;  // --set options
};

// Every stdout line, parsed; a line that is not JSON fails the test.
std::vector<CJson> JsonLines(const std::string& out) {
    std::vector<CJson> lines;
    size_t at = 0;
    for (size_t end; (end = out.find('\n', at)) != std::string::npos; at = end + 1) {
        CJson line;
        std::string why;
        EXPECT_TRUE(ParseJson(out.substr(at, end - at), line, why)) << why << "\n" << out;
        lines.push_back(line);
    }
    EXPECT_EQ(at, out.size()) << "the last line ends";
    return lines;
}

std::vector<Case> Cases() {
    std::vector<Case> cases;
    // Single values on their own and under the settings that use them.
    for (const char* value : {"61", "120", "x1", "", "61 "})
        cases.push_back({std::string("MSBITV:") + value + "\r\n", ""});
    for (const char* port : {"9001", "0", "65535", "70000", "90a"})
        cases.push_back({std::string("Protocol model:DCTCP\r\nServer's Port:") + port + "\r\n", ""});
    for (const char* ip : {"10.0.0.1", "host.example", "300.1.1.1", "a..b", "121.40.200.17"})
        cases.push_back({std::string("Protocol model:DCTCP\r\nServer's Ip:") + ip + "\r\n", ""});
    for (const char* apn : {"CMNET", "internet.example", "", "x y"})
        cases.push_back({std::string("Access Point Name:") + apn + "\r\n", ""});
    for (const char* id : {"13900000001", "ID-7", ""})
        cases.push_back({std::string("Protocol model:PROT\r\nModem's ID number:") + id + "\r\n", ""});
    // Hidden values: not in use under the device's work mode.
    cases.push_back({"Server's Port:9009\r\n", ""});
    cases.push_back({"Modem's ID number:13900000002\r\n", ""});
    cases.push_back({"Server's Ip:10.9.9.9\r\nServer's Port:9010\r\n", ""});
    // Work modes one after another, and back.
    for (const char* mode : {"DCTCP", "PROT", "TRNS", "MQTT", "TRNS"})
        cases.push_back({std::string("Protocol model:") + mode + "\r\n", ""});
    // --set on top of a file, and --set alone.
    cases.push_back({"Protocol model:DCTCP\r\n", "--set \"Server's Port=9100\""});
    cases.push_back({"Protocol model:DCTCP\r\n", "--set \"Server's Port=9101\" --set \"Server's Ip=10.1.1.1\""});
    cases.push_back({"", "--set \"MSBITV=90\""});
    cases.push_back({"", "--set \"Access Point Name=APN2\""});
    // JSON templates.
    cases.push_back({"{\"MSBITV\": 77}", ""});
    cases.push_back({"{\"Protocol model\": \"DCTCP\", \"Server's Port\": \"9200\"}", ""});
    cases.push_back({"{\"Protocol model\": \"TRNS\"}", ""});
    cases.push_back({"{\"Access Point Name\": \"quote\\\"d\"}", ""});
    cases.push_back({"{\"Access Point Name\": \"\\u4e2d\\u6587\"}", ""});
    // Partial files with other line ends, a byte-order mark, several values.
    cases.push_back({"MSBITV:62\n", ""});
    cases.push_back({"\xEF\xBB\xBFMSBITV:63\r\n", ""});
    cases.push_back({"Protocol model:DCTCP\nServer's Port:9300\nServer's Ip:10.2.2.2\n", ""});
    cases.push_back({"Access Point Name:CMNET\r\nMSBITV:64\r\n", ""});
    cases.push_back({"MSBITV:64\r\nAccess Point Name:CMNET\r\n", ""});
    // Phone numbers as people write them.
    for (const char* phone : {"+86 135 0000 0001", "138-0013-8000", "13800138000", "12a"})
        cases.push_back({std::string("sms Phone1 No.:") + phone + "\r\n", ""});
    // Sensor rows.
    cases.push_back({"GENSENSORINFO 1:1,3,40001,1,0,1,1,1,temp,1\r\n", ""});
    cases.push_back({"GENSENSORINFO 2:1,3,40002,1,0,1,1,1,hum,1\r\n", ""});
    // The same value the device holds: nothing to do.
    cases.push_back({"Access Point Name:CMNET\r\n", ""});
    cases.push_back({"Protocol model:TRNS\r\n", ""});
    return cases;
}

TEST(DtucfgContract, TheDryRunPredictsTheRealRunAndASecondRunChangesNothing) {
    const std::vector<Case> cases = Cases();
    ASSERT_GE(cases.size(), 50u);
    std::mutex lock;
    size_t checked = 0;
    auto worker = [&](size_t first, size_t step) {
        const std::string dir = MakeDir();
        Simulator sim(dir);
        for (size_t c = first; c < cases.size(); c += step) {
            const Case& one = cases[c];
            const bool json = !one.file.empty() && one.file[0] == '{';
            const std::string file = dir + (json ? "/case.json" : "/case.cfg");
            Write(file, one.file);
            const std::string values = (one.file.empty() ? "" : " --cfg " + file) + " " + one.sets;
            const std::string base = " --port " + sim.Port() + " --wait 0 --format json" + values;
            const Result diff = Dtucfg(dir, "diff" + base);
            const std::vector<CJson> predicted = JsonLines(diff.out);
            const size_t before = SetCommands(sim.Transcript()).size();
            const Result write = Dtucfg(dir, "write --yes" + base);
            const std::vector<CJson> done = JsonLines(write.out);
            std::lock_guard<std::mutex> hold(lock);
            SCOPED_TRACE("case " + std::to_string(c) + ": " + one.file + one.sets);
            ASSERT_EQ(predicted.size(), 1u) << diff.err;
            ASSERT_EQ(done.size(), 1u) << write.err;
            ASSERT_NE(predicted[0].Find("rows"), nullptr) << diff.out << diff.err;
            // The commands the dry run named are exactly those the write sent.
            std::string named;
            for (const CJson& row : predicted[0].Find("rows")->Items())
                if (row.Find("outcome")->AsText() == "would send")
                    named += row.Find("command")->AsText() + "\n";
            const std::string sent = SetCommands(sim.Transcript()).substr(before);
            EXPECT_EQ(named, sent);
            EXPECT_EQ(predicted[0].Find("changed")->AsBool(), !sent.empty());
            EXPECT_EQ(write.code == 0, !done[0].Find("failed")->AsBool());
            if (done[0].Find("outcome")->AsText() == "verified") {
                const Result again = Dtucfg(dir, "write --yes" + base);
                const std::vector<CJson> second = JsonLines(again.out);
                ASSERT_EQ(second.size(), 1u);
                EXPECT_FALSE(second[0].Find("changed")->AsBool());
                EXPECT_EQ(SetCommands(sim.Transcript()).substr(before), sent) << "sent nothing";
            }
            ++checked;
        }
    };
    std::vector<std::thread> workers;
    for (size_t w = 0; w < 4; ++w)
        workers.emplace_back(worker, w, 4);
    for (std::thread& t : workers)
        t.join();
    EXPECT_EQ(checked, cases.size());
}

TEST(DtucfgContract, DetailedExitCodesTellNothingFromChangedFromFailed) {
    const std::string dir = MakeDir();
    Simulator sim(dir);
    Write(dir + "/ok.cfg", "MSBITV:66\r\n");
    Write(dir + "/bad.cfg", "MSBITV:x1\r\n");
    const std::string port = " --port " + sim.Port() + " --wait 0 --detailed-exitcode";
    EXPECT_EQ(Dtucfg(dir, "write --check --cfg " + dir + "/ok.cfg" + port).code, 2);
    EXPECT_EQ(Dtucfg(dir, "write --yes --cfg " + dir + "/ok.cfg" + port).code, 2);
    EXPECT_EQ(Dtucfg(dir, "write --yes --cfg " + dir + "/ok.cfg" + port).code, 0);
    EXPECT_EQ(Dtucfg(dir, "write --yes --cfg " + dir + "/bad.cfg" + port).code, 1);
    EXPECT_EQ(Dtucfg(dir, "write --yes --cfg " + dir + "/none.cfg" + port).code, 4);
    EXPECT_EQ(Dtucfg(dir, "read --port " + dir + "/no-port --detailed-exitcode").code, 3);
    // Without the option the codes stay as they were.
    EXPECT_EQ(Dtucfg(dir, "write --yes --cfg " + dir + "/none.cfg --port " + sim.Port()).code, 2);
    // A failure as data, too.
    const Result failed = Dtucfg(dir, "write --yes --format json --cfg " + dir + "/none.cfg" + port);
    const std::vector<CJson> lines = JsonLines(failed.out);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].Find("failed")->AsBool());
    EXPECT_NE(lines[0].Find("reason")->AsText().find("cannot be read"), std::string::npos);
}

TEST(DtucfgContract, TheCatalogueAsJsonAndAnsiblesModuleProtocol) {
    const std::string dir = MakeDir();
    const Result schema = Dtucfg(dir, "schema");
    const std::vector<CJson> lines = JsonLines(schema.out);
    ASSERT_EQ(lines.size(), 1u);
    bool port = false;
    for (const CJson& item : lines[0].Find("parameters")->Items())
        if (item.Find("label")->AsText() == "Server's Port") {
            port = true;
            EXPECT_EQ(item.Find("command")->AsText(), "AT+PORT");
            EXPECT_EQ(item.Find("rule")->Find("kind")->AsText(), "port");
            EXPECT_EQ(item.Find("page")->AsText(), "Server");
        }
    EXPECT_TRUE(port);

    Simulator sim(dir);
    Write(dir + "/args.json", "{\"port\": \"" + sim.Port() +
                                  "\", \"values\": {\"MSBITV\": \"71\"}, \"wait\": 0, "
                                  "\"_ansible_check_mode\": true, \"_ansible_diff\": true}");
    const Result check = Dtucfg(dir, dir + "/args.json");
    EXPECT_EQ(check.code, 0) << check.err;
    std::vector<CJson> answer = JsonLines(check.out);
    ASSERT_EQ(answer.size(), 1u);
    EXPECT_TRUE(answer[0].Find("changed")->AsBool());
    EXPECT_FALSE(answer[0].Find("failed")->AsBool());
    EXPECT_EQ(answer[0].Find("diff")->Find("after")->AsText(), "MSBITV: 71\n");
    EXPECT_EQ(SetCommands(sim.Transcript()), "") << "check mode sends no set command";
    Write(dir + "/args.json", "{\"port\": \"" + sim.Port() +
                                  "\", \"values\": {\"MSBITV\": \"71\"}, \"wait\": 0}");
    answer = JsonLines(Dtucfg(dir, dir + "/args.json").out);
    ASSERT_EQ(answer.size(), 1u);
    EXPECT_TRUE(answer[0].Find("changed")->AsBool());
    answer = JsonLines(Dtucfg(dir, dir + "/args.json").out);
    ASSERT_EQ(answer.size(), 1u);
    EXPECT_FALSE(answer[0].Find("changed")->AsBool()) << "a second run changes nothing";
    Write(dir + "/args.json", "{\"port\": \"" + sim.Port() + "\", \"colour\": \"red\"}");
    const Result bad = Dtucfg(dir, dir + "/args.json");
    EXPECT_EQ(bad.code, 1);
    answer = JsonLines(bad.out);
    ASSERT_EQ(answer.size(), 1u);
    EXPECT_TRUE(answer[0].Find("failed")->AsBool());
    EXPECT_NE(answer[0].Find("msg")->AsText().find("colour"), std::string::npos);
}

} // namespace
