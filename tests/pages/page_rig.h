// The configuration pages on the in-memory view of the English skin, with the program around
// them played by the rig: posted layout rules run in post order after the current one, item
// selections post what the dispatcher posts, jobs and log lines are collected.
#pragma once

#include "pages/config_pages.h"
#include "shell/dispatch.h"
#include "shell/page_session.h"
#include "pages/skin_page_view.h"

#include <deque>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#ifndef ORVEL_SKIN_DIR
#error "ORVEL_SKIN_DIR must name the skin folder"
#endif

class PageRig : public IPageHost {
public:
    CSkinPageView view;
    CParameterStore store;
    CConfigPages pages{view, store, *this};
    std::deque<std::pair<int, int>> posted;
    std::vector<std::pair<int, int>> ran;
    std::vector<Job> jobs;
    std::vector<std::string> log;
    std::map<std::string, std::string> texts; // "section/key" -> text
    int notices = 0;

    PageRig() {
        view.LoadSkin(ORVEL_SKIN_DIR);
        view.onItemSelect = [this](const std::string& name, int selected) {
            for (const LayoutRulePost& post : ItemSelectActionFor(name, selected).rules)
                posted.emplace_back(post.rule, post.argument);
        };
        LoadTexts(std::string(ORVEL_SKIN_DIR) + "/Language.ini");
        // "windowinit": rows numbered, then the catalogue built.
        pages.NumberSensorRows();
        store.Build(view.GetRowCount(kSensorListName));
    }

    void LoadTexts(const std::string& path) { texts = CPageSession::ReadTexts(path); }

    // Runs every posted rule, in post order, including the ones they post.
    void RunRules() {
        for (int guard = 0; !posted.empty() && guard < 10000; ++guard) {
            const auto post = posted.front();
            posted.pop_front();
            ran.push_back(post);
            if (pages.ApplyLayoutRule(post.first, post.second).serverCountNotice) {
                ++notices;
                pages.ServerCountFallback();
            }
        }
        pages.OnRulesSettled();
    }
    void Select(const std::string& combo, int item) {
        view.SelectItem(combo, item);
        RunRules();
    }
    // A listing read from the device and shown, with its rules run.
    void Read(const std::string& listing) {
        store.ParseListing(listing.data(), listing.size());
        pages.ApplyValuesToControls();
        pages.SetDeviceRead(true);
        RunRules();
    }
    // The plan of what the pages changed; its ticked rows become the jobs sent. A row the plan
    // leaves unticked (its value breaks its rule) is named in the log, as the window does.
    int Collect() {
        jobs.clear();
        if (!pages.IsDeviceRead())
            log.push_back(pages.ReadFirstNotice());
        plan = pages.PlanChanges();
        for (const PlanRow& row : plan)
            if (!row.ticked && row.rule != RuleBreak::None)
                log.push_back((row.sensorRow >= 0 ? "row " + std::to_string(row.sensorRow + 1) +
                                                        " "
                                                  : std::string()) +
                              row.label + " \"" + row.newValue +
                              "\": " + RuleBreakText(row.rule, ""));
        jobs = TickedJobs(plan);
        return static_cast<int>(jobs.size());
    }
    std::vector<PlanRow> plan;
    // The device acknowledges every queued write.
    void Acknowledge() {
        for (const Job& job : jobs)
            RecordWrittenValue(store.parameters, store.lists, job.key, job.value, job.kind,
                               job.item);
        jobs.clear();
    }

    bool Visible(const std::string& name) const { return view.IsVisible(name); }
    bool InUse(const std::string& key) {
        const ParameterEntry* entry = FindParameter(store.parameters, key);
        return entry && entry->inUse;
    }
    std::string Height(const std::string& name) const { return view.Attribute(name, "height"); }
    std::string Value(const std::string& key) {
        const ParameterEntry* entry = FindParameter(store.parameters, key);
        return entry ? entry->value : "";
    }

    // IPageHost
    std::string Text(const char* section, const char* key) override {
        auto it = texts.find(std::string(section) + "/" + key);
        return it == texts.end() ? "" : it->second;
    }
    void PostLayoutRule(int rule, int argument) override { posted.emplace_back(rule, argument); }
    void PushJob(const Job& job) override { jobs.push_back(job); }
    void Log(const std::string& text) override { log.push_back(text); }
};

// A listing built line by line: "AT+SHOW", the anchor first, each label with its value, "OK".
inline std::string MakeListing(const std::vector<std::pair<std::string, std::string>>& lines) {
    std::string text = "AT+SHOW\r\n\r\nAccess Point Name:cmnet\r\n";
    for (const auto& [label, value] : lines)
        text += label + value + "\r\n";
    text += std::string(3000, ' ') + "\r\nOK\r\n";
    return text;
}

// A catalogue key's label as a listing writes it.
inline std::string LabelOf(const std::string& key) {
    for (const ParameterRow& row : ParameterTable())
        if (key == row.key) {
            std::string label = row.label;
            if (label.rfind("\r\n", 0) == 0)
                label.erase(0, 2);
            return label;
        }
    return key + ":";
}

using Values = std::vector<std::pair<std::string, std::string>>;

// A listing with the given catalogue values (by key) and interface words for every interface.
inline std::string Listing(const Values& values, const std::string& extra = "") {
    std::vector<std::pair<std::string, std::string>> lines;
    for (const auto& [key, value] : values)
        lines.emplace_back(LabelOf(key), value);
    std::string text = MakeListing(lines);
    return text.insert(text.find("\r\nOK"), extra);
}

inline const std::string kAllInterfaces =
    "\r\nA serial port\r\nA serial 2 port\r\nRS485 port\r\nIO1\r\nIO2\r\nIO3\r\nIO4\r\nIO5";

