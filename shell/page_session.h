// The configuration pages without a window: CConfigPages on the in-memory page view of a skin
// folder, with the program around them played here exactly as the window plays it (layout rules
// posted and run in post order, a combo's new selection posting the rules the dispatcher posts,
// the server-count fallback). The command-line tool decides with it what a write sends, so that
// it sends what the window would send for the same device and the same values.
#pragma once

#include "pages/config_pages.h"
#include "pages/skin_page_view.h"

#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

class CPageSession : public IPageHost {
public:
    CPageSession();

    // Loads the skin folder's pages and its Language.ini, numbers the sensor rows and builds
    // the catalogue. False when the folder holds no readable skin.
    bool Load(const std::string& skinFolder);

    // The device's listing: read into the catalogue and shown, its rules run. False when the
    // text holds no listing.
    bool ShowDevice(const std::string& listing);
    // A configuration file's listing shown over the device's (which the catalogue keeps), its
    // rules run; then the plan the window would show for the labels the file holds (the values
    // it could not take listed as not applicable).
    std::vector<PlanRow> FilePlan(const std::string& fileListing, const FileLabels& labels);

    CParameterStore& Store() { return store_; }
    CSkinPageView& View() { return view_; }
    CConfigPages& Pages() { return pages_; }
    // The texts of a Language.ini by "section/key".
    static std::map<std::string, std::string> ReadTexts(const std::string& path);

    // What the page logic said (refused values and the like), in order.
    const std::vector<std::string>& Messages() const { return messages_; }

    // IPageHost
    std::string Text(const char* section, const char* key) override;
    void PostLayoutRule(int rule, int argument) override;
    void PushJob(const Job& job) override { jobs_.push_back(job); }
    void Log(const std::string& text) override { messages_.push_back(text); }
    // The device's UTF-8 is kept as it is: no code page stands between.

private:
    // Runs every posted rule, in post order, with the ones they post.
    void RunRules();

    CSkinPageView view_;
    CParameterStore store_;
    CConfigPages pages_;
    std::deque<std::pair<int, int>> posted_;
    std::vector<Job> jobs_;
    std::vector<std::string> messages_;
    std::map<std::string, std::string> texts_; // "section/key" -> text
};
