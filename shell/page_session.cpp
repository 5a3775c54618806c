#include "shell/page_session.h"

#include "base/ini_text.h"

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
    // As the window does once its pages are built: the rows numbered, then the catalogue.
    pages_.NumberSensorRows();
    store_.Build(view_.GetRowCount(kSensorListName));
    return true;
}

std::map<std::string, std::string> CPageSession::ReadTexts(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ReadIniValues(bytes);
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
