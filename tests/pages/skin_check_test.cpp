// Reads the English skin folder with the toolkit's own markup reader, expands the main window's
// pages and the sensor row file the way the program builds them, and checks the result against
// the parameter table and the expectations in expected_controls.txt: every parameter has its
// control on its page, the combos offer the items that reading and writing values rely on, the
// layouts, switches, tab places and buttons that the program looks up exist, and Language.ini
// holds every message text.
#include "params/parameter_catalogue.h"
#include "ui/UIMarkup.h"
#include "ui/UIResource.h"

#include "pages/page_files.h"
#include "expectations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#ifndef ORVEL_SKIN_DIR
#error "ORVEL_SKIN_DIR must name the skin folder"
#endif

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// One element of the built skin tree.
struct SkinNode {
    std::string tag; // lower case
    std::string file;
    std::map<std::string, std::string> attributes; // names in lower case
    std::vector<std::unique_ptr<SkinNode>> children;
    SkinNode* parent = nullptr;
    int page = -1; // index of the page the element lives on, -1 outside the pages

    std::string Attribute(const std::string& name, const std::string& fallback = "") const {
        auto it = attributes.find(name);
        return it == attributes.end() ? fallback : it->second;
    }
    std::string Name() const { return Attribute("name"); }
    bool IsInside(const SkinNode* ancestor) const {
        for (const SkinNode* p = parent; p != nullptr; p = p->parent)
            if (p == ancestor)
                return true;
        return false;
    }
    std::vector<std::string> Items() const {
        std::vector<std::string> items;
        for (const auto& c : children)
            if (c->tag == "listlabelelement" || c->tag == "listtextelement")
                items.push_back(c->Attribute("text"));
        return items;
    }
    int SelectedItem() const {
        int index = 0;
        for (const auto& c : children) {
            if (c->tag != "listlabelelement" && c->tag != "listtextelement")
                continue;
            if (Lower(c->Attribute("selected")) == "true")
                return index;
            ++index;
        }
        return -1;
    }
};

const std::set<std::string> kResourceTags = {"image", "font", "default", "style", "import"};
const std::set<std::string> kContainerTags = {
    "container",   "verticallayout", "horizontallayout",     "tilelayout", "tablayout",
    "childlayout", "groupbox",       "listcontainerelement", "treenode",   "animationtablayout"};

// The control kinds the program relies on, as element names.
bool IsKind(const SkinNode& node, const std::string& kind) {
    const std::string& t = node.tag;
    if (const ControlKindForms* forms = FindControlKind(kind))
        return IsOneOf(t, forms->tags);
    if (kind == "Container")
        return kContainerTags.count(t) != 0 || t == "list";
    if (kind == "Line") // a group of switches
        return kContainerTags.count(t) != 0;
    if (kind == "Any") // a sensor row field
        return t == "edit" || t == "combo" || t == "combobox";
    return false;
}

// The page files of the main window's page container, by element name.
std::string PageFile(const std::string& element) {
    return PageFileForElement(element);
}

// The skin folder as the program builds it: skin.xml, the pages inside "switch", and the
// sensor rows included into "CustomList".
class CSkinModel {
public:
    void Load(const std::string& folder) {
        CResourceAccess::SetResourcePath(folder.c_str());
        root_ = LoadFile("skin.xml", nullptr, -1, &window_);
        if (!root_)
            return;
        SkinNode* pages = FindIn(root_.get(), "switch");
        if (pages != nullptr) {
            for (size_t i = 0; i < pages->children.size(); ++i) {
                SkinNode* page = pages->children[i].get();
                // a page element's content is its own file: the builder makes the children of
                // the file's root element and the page keeps the first of them
                std::string file = PageFile(page->Attribute("#tag"));
                auto document = LoadFile(file, page, int(i), nullptr);
                if (!document)
                    continue;
                if (document->children.size() != 1) {
                    errors_.push_back(file + ": " + std::to_string(document->children.size()) +
                                      " top-level controls; the page keeps only the first");
                    continue;
                }
                page->children.push_back(std::move(document->children.front()));
                page->children.back()->parent = page;
            }
        }
        Register(root_.get());
    }

    const SkinNode* Find(const std::string& name) const {
        auto it = names_.find(name);
        return it == names_.end() ? nullptr : it->second.front();
    }
    const std::map<std::string, std::vector<const SkinNode*>>& Names() const { return names_; }
    const SkinNode* Root() const { return root_.get(); }
    const SkinNode* SensorRow() const { return sensorRow_.get(); }
    int SensorRows() const { return sensorRows_; }
    const std::vector<std::string>& Errors() const { return errors_; }
    const std::vector<std::string>& LoadedFiles() const { return loaded_; }
    const std::map<std::string, std::string>& Window() const { return window_; }

private:
    std::unique_ptr<SkinNode> LoadFile(const std::string& file, SkinNode* parent, int page,
                                       std::map<std::string, std::string>* rootAttributes) {
        CMarkup markup;
        if (!markup.LoadFromFile(file.c_str())) {
            errors_.push_back(file + ": " + markup.GetLastErrorMessage() + " at \"" +
                              markup.GetLastErrorLocation() + "\"");
            return nullptr;
        }
        CMarkupNode root = markup.GetRoot();
        if (!root.IsValid()) {
            errors_.push_back(file + ": no element");
            return nullptr;
        }
        loaded_.push_back(file);
        if (rootAttributes != nullptr)
            *rootAttributes = Attributes(root);
        auto node = std::make_unique<SkinNode>();
        Fill(root, *node, file, parent, page);
        return node;
    }

    static std::map<std::string, std::string> Attributes(CMarkupNode node) {
        std::map<std::string, std::string> attributes;
        for (int i = 0; i < node.GetAttributeCount(); ++i)
            attributes.emplace(Lower(node.GetAttributeName(i)), node.GetAttributeValue(i));
        return attributes;
    }

    void Fill(CMarkupNode element, SkinNode& node, const std::string& file, SkinNode* parent,
              int page) {
        node.tag = Lower(element.GetName());
        node.file = file;
        node.parent = parent;
        node.page = page;
        node.attributes = Attributes(element);
        node.attributes["#tag"] = element.GetName(); // the element name as written
        for (CMarkupNode child = element.GetChild(); child.IsValid(); child = child.GetSibling()) {
            std::string tag = Lower(child.GetName());
            if (kResourceTags.count(tag) != 0)
                continue;
            if (tag == "include") {
                Include(child, node, page);
                continue;
            }
            auto c = std::make_unique<SkinNode>();
            Fill(child, *c, file, &node, page);
            node.children.push_back(std::move(c));
        }
    }

    void Include(CMarkupNode element, SkinNode& parent, int page) {
        const char* source = element.GetAttributeValue("source");
        const char* count = element.GetAttributeValue("count");
        if (source == nullptr)
            return;
        auto row = LoadFile(source, &parent, page, nullptr);
        if (!row)
            return;
        if (std::string(source) == "CustomListItem.xml") {
            sensorRows_ += count != nullptr ? std::atoi(count) : 1;
            sensorRow_ = std::move(row); // the rows repeat one file; one copy is checked
        }
    }

    static SkinNode* FindIn(SkinNode* node, const std::string& name) {
        if (node->Name() == name)
            return node;
        for (auto& c : node->children)
            if (SkinNode* found = FindIn(c.get(), name))
                return found;
        return nullptr;
    }

    void Register(const SkinNode* node) {
        if (!node->Name().empty())
            names_[node->Name()].push_back(node);
        for (const auto& c : node->children)
            Register(c.get());
    }

    std::unique_ptr<SkinNode> root_;
    std::unique_ptr<SkinNode> sensorRow_;
    int sensorRows_ = 0;
    std::map<std::string, std::string> window_;
    std::map<std::string, std::vector<const SkinNode*>> names_;
    std::vector<std::string> errors_;
    std::vector<std::string> loaded_;
};

// Language.ini: sections and keys compared without regard to case, as the INI functions do.
std::map<std::string, std::string> ReadTexts(const std::string& path) {
    std::map<std::string, std::string> texts;
    std::ifstream in(path, std::ios::binary);
    std::string line, section;
    auto trim = [](std::string s) {
        s.erase(0, s.find_first_not_of(" \t\r"));
        s.erase(s.find_last_not_of(" \t\r") + 1);
        return s;
    };
    while (std::getline(in, line)) {
        line = trim(line);
        if (line.empty() || line[0] == ';')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            section = Lower(trim(line.substr(1, line.size() - 2)));
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string::npos || section.empty())
            continue;
        std::string value = trim(line.substr(eq + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        texts.emplace(section + "/" + Lower(trim(line.substr(0, eq))), value);
    }
    return texts;
}

class EnglishSkin : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        skin_ = new CSkinModel;
        skin_->Load(ORVEL_SKIN_DIR);
        texts_ = new std::map<std::string, std::string>(
            ReadTexts(std::string(ORVEL_SKIN_DIR) + "/Language.ini"));
        expectations_ = new std::vector<Expectation>(ReadExpectations());
    }
    static void TearDownTestSuite() {
        delete skin_;
        delete texts_;
        delete expectations_;
    }

    static std::vector<Expectation> Lines(const std::string& check) {
        std::vector<Expectation> lines;
        for (const Expectation& e : *expectations_)
            if (e.check == check)
                lines.push_back(e);
        return lines;
    }

    // The control of that name and kind, or null after reporting why not.
    static const SkinNode* Control(const std::string& name, const std::string& kind) {
        const SkinNode* node = skin_->Find(name);
        EXPECT_NE(node, nullptr) << "missing control \"" << name << "\"";
        if (node == nullptr)
            return nullptr;
        EXPECT_TRUE(IsKind(*node, kind))
            << "\"" << name << "\" is a " << node->tag << ", expected " << kind;
        return IsKind(*node, kind) ? node : nullptr;
    }

    static std::string Text(const std::string& section, const std::string& key) {
        auto it = texts_->find(Lower(section) + "/" + Lower(key));
        return it == texts_->end() ? std::string("\x01missing") : it->second;
    }

    // An item of an expectation: "@Section/Key" stands for that message text.
    static std::string Expand(const std::string& item) {
        if (item.empty() || item[0] != '@')
            return item;
        size_t slash = item.find('/');
        return Text(item.substr(1, slash - 1), item.substr(slash + 1));
    }

    static CSkinModel* skin_;
    static std::map<std::string, std::string>* texts_;
    static std::vector<Expectation>* expectations_;
};

CSkinModel* EnglishSkin::skin_ = nullptr;
std::map<std::string, std::string>* EnglishSkin::texts_ = nullptr;
std::vector<Expectation>* EnglishSkin::expectations_ = nullptr;

TEST_F(EnglishSkin, EveryFileLoadsWithTheMarkupReader) {
    for (const std::string& e : skin_->Errors())
        ADD_FAILURE() << e;
    const std::vector<std::string>& files = skin_->LoadedFiles();
    for (const char* file :
         {"skin.xml", "WorkTab.xml", "Service Centre.xml", "Serial port.xml", "IO.xml",
          "Wireless.xml", "Global Parameter.xml", "Equipment Management.xml", "Lora.xml",
          "Zigbee.xml", "GPS.xml", "Custom.xml", "ComputerExamine.xml", "CustomListItem.xml"})
        EXPECT_NE(std::find(files.begin(), files.end(), file), files.end()) << file;
    ASSERT_NE(skin_->Root(), nullptr);
    EXPECT_EQ(skin_->Window().count("size"), 1u);
    EXPECT_EQ(skin_->Window().at("size"), "1400,800");
    EXPECT_FALSE(expectations_->empty());
}

TEST_F(EnglishSkin, EveryParameterHasAControlOfItsKindOnItsPage) {
    int checked = 0;
    for (const ParameterRow& row : ParameterTable()) {
        if (row.tab == kNoTab || std::string(row.kind).empty())
            continue;
        const SkinNode* node = Control(row.key, row.kind);
        if (node == nullptr)
            continue;
        EXPECT_EQ(node->page, row.tab) << "\"" << row.key << "\" lives on the wrong page";
        ++checked;
    }
    EXPECT_EQ(checked, int(kParameterCount) - 1); // all but the version, which has no page
}

TEST_F(EnglishSkin, ExpectationsListTheParametersOfTheTable) {
    std::vector<Expectation> keys = Lines("key");
    ASSERT_EQ(keys.size(), kParameterCount);
    for (size_t i = 0; i < kParameterCount; ++i) {
        const ParameterRow& row = ParameterTable()[i];
        std::string kind = std::string(row.kind).empty() ? "-" : row.kind;
        EXPECT_EQ(keys[i].fields[0], row.key);
        EXPECT_EQ(keys[i].fields[1], kind) << row.key;
        EXPECT_EQ(keys[i].fields[2], std::to_string(row.tab)) << row.key;
    }
}

TEST_F(EnglishSkin, TabStripAndPagesFollowTheTabTable) {
    const SkinNode* pages = Control("switch", "TabLayout");
    const SkinNode* strip = Control("HorizontalLayoutUI6", "Container");
    ASSERT_NE(pages, nullptr);
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(pages->children.size(), size_t(kTabCount));
    EXPECT_FALSE(strip->Attribute("width").empty()) << "the strip needs a fixed width";
    for (int tab = 0; tab < kTabCount; ++tab) {
        std::string place = TabName(tab);
        std::string option = place.substr(0, place.size() - 3);
        const SkinNode* p = Control(place, "Container");
        const SkinNode* o = Control(option, "Option");
        if (p != nullptr) {
            EXPECT_TRUE(p->IsInside(strip)) << place;
            EXPECT_FALSE(p->Attribute("width").empty()) << place << " needs a fixed width";
        }
        if (p != nullptr && o != nullptr) {
            EXPECT_TRUE(o->IsInside(p)) << option;
        }
        if (tab < int(pages->children.size())) {
            EXPECT_FALSE(pages->children[size_t(tab)]->children.empty()) << "page " << tab;
        }
    }
    for (const Expectation& e : Lines("tab")) {
        EXPECT_EQ(TabName(std::stoi(e.fields[0])), e.fields[1]);
        EXPECT_EQ(e.fields[1].substr(0, e.fields[1].size() - 3), e.fields[2]);
    }
    // Every option raises "selectchanged", which selects the page whose tab name holds the
    // option's name: only the tab options may be options.
    for (const auto& entry : skin_->Names())
        for (const SkinNode* node : entry.second)
            if (node->tag == "option" || node->tag == "checkbox") {
                std::string name = entry.first;
                bool isTab = false;
                for (int tab = 0; tab < kTabCount; ++tab)
                    isTab = isTab || std::string(TabName(tab)) == name + "Tab";
                EXPECT_TRUE(isTab) << "option \"" << name << "\" would switch pages";
            }
}

TEST_F(EnglishSkin, CombosOfferTheItemsThatReadingAndWritingNeed) {
    int checked = 0;
    for (const Expectation& e : *expectations_) {
        static const std::set<std::string> comboChecks = {"items",   "prefix",   "contains",
                                                          "seq",     "count",    "mincount",
                                                          "numeric", "numericauto", "linecode",
                                                          "selected"};
        if (comboChecks.count(e.check) == 0)
            continue;
        const std::string& name = e.fields[0];
        const SkinNode* combo = Control(name, "Combo");
        if (combo == nullptr)
            continue;
        ++checked;
        std::vector<std::string> items = combo->Items();
        std::vector<std::string> want =
            e.fields.size() > 1 ? Split(e.fields[1], '|') : std::vector<std::string>{};
        SCOPED_TRACE("expectation line " + std::to_string(e.line) + ": " + e.check + " " + name);
        if (e.check == "items") {
            ASSERT_EQ(items.size(), want.size());
            for (size_t i = 0; i < want.size(); ++i) {
                if (want[i] == "*") {
                    EXPECT_FALSE(items[i].empty()) << "item " << i;
                } else {
                    EXPECT_EQ(items[i], Expand(want[i])) << "item " << i;
                }
            }
        } else if (e.check == "prefix") {
            ASSERT_GE(items.size(), want.size());
            for (size_t i = 0; i < want.size(); ++i)
                EXPECT_EQ(items[i], Expand(want[i]));
        } else if (e.check == "contains") {
            for (const std::string& w : want)
                EXPECT_NE(std::find(items.begin(), items.end(), Expand(w)), items.end()) << w;
        } else if (e.check == "seq") {
            EXPECT_FALSE(items.empty());
            for (size_t i = 0; i < items.size(); ++i)
                EXPECT_EQ(items[i], std::to_string(std::stoi(e.fields[1]) + int(i)));
        } else if (e.check == "count") {
            EXPECT_EQ(items.size(), size_t(std::stoi(e.fields[1])));
        } else if (e.check == "mincount") {
            EXPECT_GE(items.size(), size_t(std::stoi(e.fields[1])));
            std::set<std::string> distinct(items.begin(), items.end());
            EXPECT_EQ(distinct.size(), items.size()) << "repeated item";
            EXPECT_EQ(distinct.count(""), 0u) << "empty item";
        } else if (e.check == "numericauto") {
            ASSERT_GE(items.size(), 2u);
            for (size_t i = 0; i + 1 < items.size(); ++i)
                EXPECT_TRUE(!items[i].empty() &&
                            items[i].find_first_not_of("0123456789") == std::string::npos)
                    << items[i];
            EXPECT_NE(items.back().find_first_not_of("0123456789"), std::string::npos)
                << "the last item is the automatic choice";
        } else if (e.check == "numeric") {
            EXPECT_FALSE(items.empty());
            for (const std::string& item : items)
                EXPECT_TRUE(!item.empty() &&
                            item.find_first_not_of("0123456789") == std::string::npos &&
                            std::stol(item) > 0)
                    << item;
        } else if (e.check == "linecode") {
            EXPECT_FALSE(items.empty());
            for (const std::string& item : items)
                EXPECT_TRUE(item.size() == 3 && item[0] >= '5' && item[0] <= '8' &&
                            std::string("NEOMS").find(item[1]) != std::string::npos &&
                            (item[2] == '1' || item[2] == '2'))
                    << item;
        } else if (e.check == "selected") {
            EXPECT_EQ(combo->SelectedItem(), std::stoi(e.fields[1]));
        }
    }
    EXPECT_GT(checked, 50);
}

TEST_F(EnglishSkin, NamedControlsLayoutsAndSwitchesExist) {
    for (const Expectation& e : Lines("control"))
        Control(e.fields[0], e.fields[1]);
    for (const Expectation& e : Lines("layout")) {
        const SkinNode* layout = Control(e.fields[0], "Container");
        if (layout == nullptr || e.fields.size() < 2)
            continue;
        for (const std::string& key : Split(e.fields[1], '|')) {
            const SkinNode* inner = skin_->Find(key);
            EXPECT_NE(inner, nullptr) << key << " (in " << e.fields[0] << ")";
            if (inner != nullptr) {
                EXPECT_TRUE(inner->IsInside(layout)) << key << " is not inside " << e.fields[0];
            }
        }
    }
    std::vector<Expectation> switches = Lines("switch");
    EXPECT_EQ(switches.size(), 14u);
    for (const Expectation& e : switches) {
        const SkinNode* button = Control(e.fields[0], "Button");
        const SkinNode* group = Control(e.fields[1], "Line");
        if (button == nullptr || group == nullptr)
            continue;
        EXPECT_TRUE(button->IsInside(group)) << e.fields[0];
        // on when the background image name holds "enable", off with "disable"
        std::string image = button->Attribute("bkimage");
        EXPECT_TRUE(image.find("enable") != std::string::npos ||
                    image.find("disable") != std::string::npos)
            << e.fields[0] << ": " << image;
    }
}

TEST_F(EnglishSkin, ControlsStartWithTheTextsTheProgramGivesThemLater) {
    std::vector<Expectation> lines = Lines("initial");
    EXPECT_EQ(lines.size(), 4u);
    for (const Expectation& e : lines) {
        const SkinNode* control = skin_->Find(e.fields[0]);
        ASSERT_NE(control, nullptr) << e.fields[0];
        EXPECT_EQ(control->Attribute("text"), Expand(e.fields[1])) << e.fields[0];
    }
}

TEST_F(EnglishSkin, EveryMessageTextIsPresent) {
    std::vector<Expectation> lines = Lines("text");
    EXPECT_EQ(lines.size(), 29u);
    for (const Expectation& e : lines) {
        std::string value = Text(e.fields[0], e.fields[1]);
        EXPECT_NE(value, "\x01missing") << "[" << e.fields[0] << "] " << e.fields[1];
        EXPECT_FALSE(value.empty()) << "[" << e.fields[0] << "] " << e.fields[1];
        EXPECT_LT(value.size(), 200u) << "[" << e.fields[0] << "] " << e.fields[1];
    }
    // the help fallback holds 99 characters with its line end
    EXPECT_LE(Text("InitValue", "Text").size() + 2, 99u);
}

TEST_F(EnglishSkin, SensorRowsHaveEveryField) {
    const SkinNode* list = Control("CustomList", "List");
    ASSERT_NE(list, nullptr);
    EXPECT_GT(skin_->SensorRows(), 0);
    const SkinNode* row = skin_->SensorRow();
    ASSERT_NE(row, nullptr) << "the sensor list includes no CustomListItem.xml";
    ASSERT_EQ(row->children.size(), 1u) << "one row per include";
    EXPECT_EQ(row->children.front()->tag, "listcontainerelement");
    for (const Expectation& e : Lines("rowfield")) {
        std::vector<const SkinNode*> found;
        std::vector<const SkinNode*> stack = {row};
        while (!stack.empty()) {
            const SkinNode* n = stack.back();
            stack.pop_back();
            if (n->Name() == e.fields[0])
                found.push_back(n);
            for (const auto& c : n->children)
                stack.push_back(c.get());
        }
        ASSERT_EQ(found.size(), 1u) << e.fields[0];
        EXPECT_TRUE(IsKind(*found[0], e.fields[1])) << e.fields[0] << " is a " << found[0]->tag;
    }
}

// Rows a group box shows, with some layouts' visibility overridden; -1 when it holds something
// other than rows of one row height or blocks of such rows.
int CountRows(const SkinNode& box, const std::map<const SkinNode*, bool>& overrides) {
    int rows = 0;
    for (const auto& child : box.children) {
        auto o = overrides.find(child.get());
        bool visible =
            o != overrides.end() ? o->second : Lower(child->Attribute("visible", "true")) == "true";
        if (!visible)
            continue;
        if (child->tag == "horizontallayout" && child->Attribute("height") == "25") {
            ++rows;
        } else if (child->tag == "verticallayout" && !child->Attribute("height").empty()) {
            int inner = CountRows(*child, overrides);
            if (inner < 0)
                return -1;
            rows += inner;
        } else {
            return -1;
        }
    }
    return rows;
}

TEST_F(EnglishSkin, GroupHeightsTheRulesSetFitTheRowsTheyShow) {
    std::vector<Expectation> fits = Lines("fit");
    EXPECT_GT(fits.size(), 80u);
    for (const Expectation& e : fits) {
        const SkinNode* box = Control(e.fields[0], "GroupBox");
        if (box == nullptr)
            continue;
        std::map<const SkinNode*, bool> overrides;
        for (const std::string& pair : Split(e.fields.size() > 2 ? e.fields[2] : "", '|')) {
            if (pair.empty())
                continue;
            size_t eq = pair.rfind('=');
            const SkinNode* layout = skin_->Find(pair.substr(0, eq));
            EXPECT_NE(layout, nullptr) << pair;
            if (layout != nullptr)
                overrides[layout] = pair.substr(eq + 1) == "1";
        }
        int rows = CountRows(*box, overrides);
        ASSERT_GE(rows, 0) << e.fields[0] << " holds something other than rows";
        // the title and the first row take 60 pixels, every further row 25
        int height = rows > 0 ? 60 + 25 * (rows - 1) : 60;
        EXPECT_EQ(height, std::stoi(e.fields[1]))
            << e.fields[0] << " with " << (e.fields.size() > 2 ? e.fields[2] : "") << ": " << rows
            << " rows (expectation line " << e.line << ")";
    }
}

TEST_F(EnglishSkin, ControlNamesAreUnique) {
    for (const auto& entry : skin_->Names())
        EXPECT_EQ(entry.second.size(), 1u)
            << "\"" << entry.first << "\" is used " << entry.second.size() << " times";
}

} // namespace
