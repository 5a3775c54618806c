#include "shell/dtucfg_json.h"

#include "params/value_rules.h"
#include "shell/dtucfg_tool.h"

#include <cstdio>
#include <mutex>

namespace {

std::mutex g_emitLock;
std::function<void(const CJson&)> g_sink;

CJson Text(const std::string& text) {
    return CJson::String(text);
}

const char* KindName(EntryKind kind) {
    switch (kind) {
    case EntryKind::Edit: return "edit";
    case EntryKind::Combobox: return "choice";
    case EntryKind::Line: return "switches";
    case EntryKind::List: return "list";
    case EntryKind::None: break;
    }
    return "none";
}

CJson RuleOf(const std::string& key) {
    CJson rule = CJson::Object();
    switch (ValueKindOf(key)) {
    case ValueKind::Port:
        rule.Set("kind", Text("port"));
        rule.Set("pattern", Text("^([0-9]{1,5})?$"));
        rule.Set("maximum", CJson::Number(65535));
        break;
    case ValueKind::Address:
        rule.Set("kind", Text("address"));
        rule.Set("maxLength", CJson::Number(double(kMaxAddressValue)));
        break;
    case ValueKind::Phone:
        rule.Set("kind", Text("phone"));
        rule.Set("pattern", Text("^(\\+?[0-9][0-9 ()-]*)?$"));
        rule.Set("maxLength", CJson::Number(double(kMaxPhoneValue)));
        break;
    case ValueKind::Apn:
        rule.Set("kind", Text("apn"));
        rule.Set("maxLength", CJson::Number(double(kMaxApnValue)));
        break;
    case ValueKind::SensorRow:
        rule.Set("kind", Text("sensor row"));
        rule.Set("maxLength", CJson::Number(100));
        break;
    case ValueKind::Text:
        rule.Set("kind", Text("text"));
        rule.Set("maxLength", CJson::Number(double(kMaxTextValue)));
        break;
    }
    return rule;
}

} // namespace

void SetResultSink(std::function<void(const CJson&)> sink) {
    std::lock_guard<std::mutex> hold(g_emitLock);
    g_sink = std::move(sink);
}

void EmitResult(const CJson& result) {
    std::lock_guard<std::mutex> hold(g_emitLock);
    if (g_sink) {
        g_sink(result);
        return;
    }
    const std::string line = result.Write() + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

CJson SchemaJson() {
    CJson list = CJson::Array();
    const CParameterStore& store = Labels();
    for (const auto& [key, entry] : store.parameters) {
        if (entry.label.empty())
            continue;
        CJson item = CJson::Object();
        item.Set("label", Text(PlainLabel(entry.label)));
        item.Set("key", Text(key));
        item.Set("command", Text(entry.command));
        item.Set("kind", Text(KindName(entry.kind)));
        item.Set("writable", CJson::Bool(!entry.command.empty()));
        item.Set("rule", RuleOf(key));
        item.Set("page", Text(TabOptionName(entry.tab)));
        list.Add(std::move(item));
    }
    for (const auto& [key, entry] : store.lists)
        for (int i = 1; i <= entry.count; ++i) {
            CJson item = CJson::Object();
            item.Set("label", Text(PlainLabel(FormatListLabel(entry.labelFormat, i))));
            item.Set("key", Text(key));
            item.Set("command", Text(entry.command));
            item.Set("kind", Text(KindName(entry.kind)));
            item.Set("writable", CJson::Bool(true));
            item.Set("rule", RuleOf(key));
            item.Set("page", Text(TabOptionName(entry.tab)));
            list.Add(std::move(item));
        }
    CJson schema = CJson::Object();
    schema.Set("parameters", std::move(list));
    return schema;
}

bool IsAnsibleArguments(const std::string& path) {
    std::string bytes, why;
    if (path.empty() || path[0] == '-' || !ReadFileBytes(path, bytes, why))
        return false;
    const size_t first = bytes.find_first_not_of(" \t\r\n");
    return first != std::string::npos && bytes[first] == '{';
}

namespace {

// One line per changed label, as Ansible shows a diff.
void AddDiffText(const CJson& result, const std::string& prefix, std::string& before,
                 std::string& after) {
    if (const CJson* diff = result.Find("diff"))
        for (const auto& [label, change] : diff->Members()) {
            const CJson* was = change.Find("before");
            const CJson* will = change.Find("after");
            before += prefix + label + ": " + (was ? was->AsText() : "") + "\n";
            after += prefix + label + ": " + (will ? will->AsText() : "") + "\n";
        }
}

} // namespace

int RunAnsibleModule(const std::string& path, const char* argv0) {
    std::string bytes, why;
    CJson arguments;
    Options options;
    std::string failure;
    if (!ReadFileBytes(path, bytes, why) || !ParseJson(bytes, arguments, why) ||
        !arguments.IsObject()) {
        failure = "the module's arguments cannot be read: " + why;
    } else {
        options.command = "write";
        for (const auto& [name, value] : arguments.Members()) {
            const std::string text = value.AsText();
            if (name == "command" || name == "state")
                options.command = text == "present" ? "write" : text;
            else if (name == "port")
                options.ports.push_back(text);
            else if (name == "ports")
                for (const CJson& port : value.Items())
                    options.ports.push_back(port.AsText());
            else if (name == "cfg" || name == "template" || name == "src")
                options.cfg = text;
            else if (name == "values")
                for (const auto& [label, setting] : value.Members())
                    options.sets.push_back(label + "=" + setting.AsText());
            else if (name == "units")
                options.units = text;
            else if (name == "report")
                options.report = text;
            else if (name == "match")
                options.match = text;
            else if (name == "operator")
                options.operatorName = text;
            else if (name == "backups")
                options.backups = text;
            else if (name == "skin")
                options.skin = text;
            else if (name == "baud")
                text == "auto" ? void(options.baudAuto = true) : void(options.baud = std::atoi(text.c_str()));
            else if (name == "wait")
                options.waitSeconds = std::atoi(text.c_str());
            else if (name == "stop_after")
                options.stopAfter = std::atoi(text.c_str());
            else if (name == "_ansible_check_mode")
                options.check = value.AsBool();
            else if (name.rfind("_ansible_", 0) != 0 && failure.empty())
                failure = "unsupported parameter " + name;
        }
        if (options.cfg.empty() && !options.sets.empty() && options.command != "apply")
            options.cfgFromSets = true;
    }
    options.yes = true;
    options.json = true;
    std::vector<CJson> results;
    SetResultSink([&results](const CJson& result) { results.push_back(result); });
    int code = kBadArguments;
    if (failure.empty())
        code = CTool(options, argv0).Run();
    SetResultSink(nullptr);

    bool changed = false, failed = code != kOk;
    std::string before, after;
    for (const CJson& result : results) {
        const CJson* c = result.Find("changed");
        changed = changed || (c && c->AsBool());
        const CJson* unit = result.Find("unit");
        AddDiffText(result, unit && !unit->AsText().empty() ? unit->AsText() + ": " : "", before,
                    after);
    }
    CJson answer = CJson::Object();
    answer.Set("changed", CJson::Bool(changed));
    answer.Set("failed", CJson::Bool(failed));
    std::string msg = failure.empty() ? LastSaid() : failure;
    answer.Set("msg", CJson::String(msg));
    answer.Set("rc", CJson::Number(code));
    CJson diff = CJson::Object();
    diff.Set("before", CJson::String(before));
    diff.Set("after", CJson::String(after));
    diff.Set("before_header", CJson::String("device"));
    diff.Set("after_header", CJson::String(options.cfg.empty() ? "values" : options.cfg));
    answer.Set("diff", std::move(diff));
    CJson list = CJson::Array();
    for (CJson& result : results)
        list.Add(std::move(result));
    answer.Set("results", std::move(list));
    const std::string line = answer.Write() + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
    return failed ? 1 : 0;
}
