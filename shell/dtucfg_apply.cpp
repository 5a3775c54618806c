// dtucfg apply: the production line on the console. The line itself (ports, rows, report) is
// CProductionLine; this says its progress on stderr, prints each unit's result as JSON when
// asked, and turns the outcome into an exit code.
#include "shell/dtucfg_json.h"
#include "shell/dtucfg_tool.h"
#include "shell/production_line.h"

int CTool::Apply() {
    if (options_.cfg.empty() || options_.units.empty() || options_.report.empty()) {
        Say("apply needs --cfg, --units and --report (see --help)");
        return kBadArguments;
    }
    if (!CheckSkin())
        return kBadArguments;
    LineOptions line;
    line.port.baud = options_.baud;
    line.port.baudAuto = options_.baudAuto;
    line.port.format = options_.format;
    line.port.waitSeconds = options_.waitSeconds;
    line.ports = options_.ports;
    line.skin = SkinFolder();
    line.backups = BackupFolder();
    line.report = options_.report;
    line.match = options_.match;
    line.operatorName = options_.operatorName;
    line.stopAfter = options_.stopAfter;
    line.check = options_.check;
    line.resume = options_.resume;
    LineListener listener;
    listener.said = [](const std::string& text) { Say(text); };
    if (options_.json)
        listener.finished = [](const CJson& result) { EmitResult(result); };
    CProductionLine production(line, listener);
    std::string why;
    if (!production.Prepare(options_.cfg, options_.units, why)) {
        Say(why);
        return kBadArguments;
    }
    InstallStopHandler();
    production.SetExternalStop([] { return g_stopRequested.load(); });
    const LineSummary summary = production.Run();
    Say(std::to_string(summary.verified + summary.failed) + " unit(s), " +
        std::to_string(summary.failed) + " failed; report in " + options_.report);
    changedAny_ = summary.changed;
    if (summary.reportBroken)
        return kFailed;
    if (summary.portsFailed > 0)
        Say(std::to_string(summary.portsFailed) + " port(s) stopped before their units were done");
    return summary.failed == 0 && summary.portsFailed == 0 ? kOk : kFailed;
}
