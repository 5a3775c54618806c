#include "shell/page_session.h"

#include "shell/dispatch.h"

#include <fstream>

CPageSession::CPageSession() : pages_(view_, store_, *this) {
    view_.onItemSelect = [this](const std::string& name, int selected) {
        for (const LayoutRulePost& post : ItemSelectActionFor(name, selected).rules)
            posted_.emplace_back(post.rule, post.argument);
    };
}

bool CPageSession::Load(const std::string& skinFolder) {
    if (!view_.LoadSkin(skinFolder))
        return false;
    texts_ = ReadTexts(skinFolder + "/Language.ini");
    // As the window's "windowinit": the rows numbered, then the catalogue.
    pages_.NumberSensorRows();
    store_.Build(view_.GetRowCount(kSensorListName));
    return true;
}

std::map<std::string, std::string> CPageSession::ReadTexts(const std::string& path) {
    std::map<std::string, std::string> texts;
    std::ifstream in(path, std::ios::binary);
    std::string line, section;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() > 2 && line[0] == '[') {
            section = line.substr(1, line.find(']') - 1);
        } else if (!line.empty() && line[0] != ';' && line.find('=') != std::string::npos) {
            const size_t eq = line.find('=');
            texts[section + "/" + line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    return texts;
}

std::string CPageSession::Text(const char* section, const char* key) {
    auto it = texts_.find(std::string(section) + "/" + key);
    return it == texts_.end() ? std::string() : it->second;
}

void CPageSession::PostLayoutRule(int rule, int argument) {
    posted_.emplace_back(rule, argument);
}

void CPageSession::RunRules() {
    for (int guard = 0; !posted_.empty() && guard < 100000; ++guard) {
        const auto post = posted_.front();
        posted_.pop_front();
        if (pages_.ApplyLayoutRule(post.first, post.second).serverCountNotice) {
            messages_.push_back("This device needs at least one server: the count is set to 1.");
            pages_.ServerCountFallback();
        }
    }
    pages_.OnRulesSettled();
}

bool CPageSession::ShowDevice(const std::string& listing) {
    if (!store_.ParseListing(listing.data(), listing.size()))
        return false;
    pages_.ApplyValuesToControls();
    pages_.SetDeviceRead(true);
    RunRules();
    return true;
}

std::vector<PlanRow> CPageSession::FilePlan(const std::string& fileListing,
                                            const FileLabels& labels) {
    pages_.ShowFileValues(fileListing, labels);
    RunRules();
    return pages_.PlanFileDifferences(fileListing);
}
