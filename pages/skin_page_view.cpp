#include "pages/skin_page_view.h"

#include "pages/page_files.h"

#include "ui/UIMarkup.h"
#include "ui/UIResource.h"
#include "ui/UITags.h"

#include <cstdlib>

namespace {


ControlKind KindOfTag(const std::string& tag) {
    if (tag == "Edit" || tag == "RichEdit")
        return ControlKind::Edit;
    if (tag == "Combo")
        return ControlKind::Combo;
    return ControlKind::Other;
}

// Reads one element's attributes into a node.
CSkinPageView::Node MakeNode(CMarkupNode& element) {
    CSkinPageView::Node node;
    node.tag = element.GetName();
    node.kind = KindOfTag(node.tag);
    const int count = element.GetAttributeCount();
    for (int i = 0; i < count; ++i) {
        const std::string name = element.GetAttributeName(i);
        const std::string value = element.GetAttributeValue(i);
        node.attributes[name] = value;
        if (name == "name")
            node.name = value;
        else if (name == "text")
            node.text = value;
        else if (name == "visible")
            node.visible = value != "false";
        else if (name == "bkimage")
            node.bkImage = value;
        else if (name == "width")
            node.width = std::atoi(value.c_str());
    }
    return node;
}

} // namespace

bool CSkinPageView::LoadSkin(const std::string& folder) {
    nodes.clear();
    byName.clear();
    rows.clear();
    rowTemplate.clear();
    std::string root = folder;
    if (!root.empty() && root.back() != '/' && root.back() != '\\')
        root += '/';
    CResourceAccess::SetResourcePath(root.c_str());
    LoadFile(root, "skin.xml", -1, 0);
    return !nodes.empty();
}

void CSkinPageView::LoadFile(const std::string& folder, const std::string& file, int parent,
                            int depth) {
    CMarkup markup;
    if (depth > 4 || !markup.LoadFromFile(file.c_str()))
        return;
    // Walks the elements below `element`, adding named and unnamed controls alike (unnamed
    // ones keep the parent chain whole).
    std::function<void(CMarkupNode, int)> walk = [&](CMarkupNode element, int into) {
        for (CMarkupNode child = element.GetChild(); child.IsValid(); child = child.GetSibling()) {
            const std::string tag = child.GetName();
            if (tag == "Font" || tag == "Default" || tag == "Image" || tag == "Style")
                continue;
            if (tag == "Include") {
                const char* source = child.GetAttributeValue("source");
                const char* countText = child.GetAttributeValue("count");
                const int count = countText && *countText ? std::atoi(countText) : 1;
                if (source && std::string(source) == "CustomListItem.xml" && into >= 0) {
                    listName = nodes[static_cast<size_t>(into)].name;
                    CMarkup rowMarkup;
                    if (rowMarkup.LoadFromFile(source)) {
                        rowTemplate.clear();
                        std::function<void(CMarkupNode)> rowWalk = [&](CMarkupNode e) {
                            for (CMarkupNode c = e.GetChild(); c.IsValid(); c = c.GetSibling()) {
                                Node n = MakeNode(c);
                                if (n.kind == ControlKind::Combo) {
                                    for (CMarkupNode item = c.GetChild(); item.IsValid();
                                         item = item.GetSibling()) {
                                        const char* text = item.GetAttributeValue("text");
                                        n.items.push_back(text ? text : "");
                                    }
                                }
                                if (!n.name.empty())
                                    rowTemplate[n.name] = n;
                                rowWalk(c);
                            }
                        };
                        rowWalk(rowMarkup.GetRoot());
                        rows.assign(static_cast<size_t>(count), rowTemplate);
                    }
                } else if (source) {
                    for (int i = 0; i < count; ++i)
                        LoadFile(folder, source, into, depth + 1);
                }
                continue;
            }
            if (!IsToolkitTag(tag)) {
                // A page of the main window.
                Node page;
                page.tag = tag;
                page.isPage = true;
                page.parent = into;
                nodes.push_back(page);
                LoadFile(folder, PageFileForElement(tag), static_cast<int>(nodes.size()) - 1, depth + 1);
                continue;
            }
            Node node = MakeNode(child);
            node.parent = into;
            if (node.kind == ControlKind::Combo) {
                for (CMarkupNode item = child.GetChild(); item.IsValid();
                     item = item.GetSibling()) {
                    const char* text = item.GetAttributeValue("text");
                    const char* selected = item.GetAttributeValue("selected");
                    if (selected && std::string(selected) == "true")
                        node.selection = static_cast<int>(node.items.size());
                    node.items.push_back(text ? text : "");
                }
            }
            nodes.push_back(node);
            const int index = static_cast<int>(nodes.size()) - 1;
            if (!node.name.empty() && !byName.count(node.name))
                byName[node.name] = index;
            if (node.kind != ControlKind::Combo)
                walk(child, index);
        }
    };
    CMarkupNode rootElement = markup.GetRoot();
    if (rootElement.IsValid())
        walk(rootElement, parent);
}

CSkinPageView::Node* CSkinPageView::Find(const ControlRef& ref) {
    return const_cast<Node*>(static_cast<const CSkinPageView*>(this)->Find(ref));
}

const CSkinPageView::Node* CSkinPageView::Find(const ControlRef& ref) const {
    if (ref.row >= 0) {
        if (ref.list != listName || ref.row >= static_cast<int>(rows.size()))
            return nullptr;
        const Row& row = rows[static_cast<size_t>(ref.row)];
        auto it = row.find(ref.name);
        return it == row.end() ? nullptr : &it->second;
    }
    auto it = byName.find(ref.name);
    return it == byName.end() ? nullptr : &nodes[static_cast<size_t>(it->second)];
}

std::string CSkinPageView::Attribute(const std::string& name, const std::string& attribute) const {
    const Node* node = Find(name);
    if (!node)
        return "";
    auto it = node->attributes.find(attribute);
    return it == node->attributes.end() ? "" : it->second;
}

ControlKind CSkinPageView::Kind(const ControlRef& ref) const {
    const Node* node = Find(ref);
    return node ? node->kind : ControlKind::Missing;
}

std::string CSkinPageView::GetText(const ControlRef& ref) const {
    const Node* node = Find(ref);
    if (!node)
        return "";
    if (node->kind == ControlKind::Combo)
        return node->selection >= 0 && node->selection < static_cast<int>(node->items.size())
                   ? node->items[static_cast<size_t>(node->selection)]
                   : "";
    return node->text;
}

void CSkinPageView::SetText(const ControlRef& ref, const std::string& text) {
    if (Node* node = Find(ref))
        node->text = text;
}

bool CSkinPageView::IsVisible(const ControlRef& ref) const {
    const Node* node = Find(ref);
    if (!node)
        return false;
    if (ref.row >= 0)
        return node->visible;
    for (int i = byName.at(ref.name); i >= 0; i = nodes[static_cast<size_t>(i)].parent) {
        const Node& n = nodes[static_cast<size_t>(i)];
        if (n.isPage)
            break;
        if (!n.visible)
            return false;
    }
    return true;
}

void CSkinPageView::SetVisible(const ControlRef& ref, bool visible) {
    if (Node* node = Find(ref))
        node->visible = visible;
}

void CSkinPageView::SetAttribute(const ControlRef& ref, const std::string& name,
                                const std::string& value) {
    if (Node* node = Find(ref))
        node->attributes[name] = value;
}

int CSkinPageView::GetFixedWidth(const ControlRef& ref) const {
    const Node* node = Find(ref);
    return node ? node->width : 0;
}

int CSkinPageView::GetSelection(const ControlRef& ref) const {
    const Node* node = Find(ref);
    return node && node->kind == ControlKind::Combo ? node->selection : -1;
}

int CSkinPageView::GetItemCount(const ControlRef& ref) const {
    const Node* node = Find(ref);
    return node ? static_cast<int>(node->items.size()) : 0;
}

std::string CSkinPageView::GetItemText(const ControlRef& ref, int index) const {
    const Node* node = Find(ref);
    if (!node || index < 0 || index >= static_cast<int>(node->items.size()))
        return "";
    return node->items[static_cast<size_t>(index)];
}

void CSkinPageView::SelectItem(const ControlRef& ref, int index) {
    Node* node = Find(ref);
    if (!node || node->kind != ControlKind::Combo)
        return;
    if (index < 0) {
        node->selection = -1;
        return;
    }
    if (node->items.empty())
        return;
    index = std::min(index, static_cast<int>(node->items.size()) - 1);
    if (index == node->selection)
        return;
    node->selection = index;
    if (onItemSelect && ref.row < 0)
        onItemSelect(ref.name, index);
}

std::string CSkinPageView::GetBkImage(const ControlRef& ref) const {
    const Node* node = Find(ref);
    return node ? node->bkImage : "";
}

void CSkinPageView::SetBkImage(const ControlRef& ref, const std::string& image) {
    if (Node* node = Find(ref))
        node->bkImage = image;
}

void CSkinPageView::SelectPage(const ControlRef& tabLayout, int index) {
    if (Find(tabLayout))
        selectedPage = index;
}

void CSkinPageView::SelectOption(const ControlRef& option) {
    if (Find(option))
        selectedOptions.push_back(option.name);
}

int CSkinPageView::GetRowCount(const std::string& list) const {
    if (list != listName || !byName.count(list))
        return -1;
    return static_cast<int>(rows.size());
}

int CSkinPageView::RebuildRows(const std::string& list, int count) {
    if (list != listName || count < 0)
        return GetRowCount(list);
    rows.assign(static_cast<size_t>(count), rowTemplate);
    return count;
}

void CSkinPageView::SetMark(const ControlRef& ref, FieldMark mark, const std::string& reason) {
    if (Node* node = Find(ref)) {
        node->mark = mark;
        node->markReason = mark == FieldMark::None ? std::string() : reason;
    }
}

FieldMark CSkinPageView::GetMark(const ControlRef& ref) const {
    const Node* node = Find(ref);
    return node ? node->mark : FieldMark::None;
}

// The skin's nodes as a page tree for the label rule.
struct CSkinPageView::LabelTree {
    using Node = int;
    static constexpr Node none = -1;
    const std::vector<CSkinPageView::Node>& nodes;

    Node Parent(Node node) const { return node < 0 ? none : nodes[size_t(node)].parent; }
    std::vector<Node> Children(Node parent) const {
        std::vector<Node> children;
        for (int i = 0; parent >= 0 && i < static_cast<int>(nodes.size()); ++i)
            if (nodes[size_t(i)].parent == parent)
                children.push_back(i);
        return children;
    }
    bool IsLabel(Node node) const { return nodes[size_t(node)].tag == "Label"; }
    bool IsHorizontalRow(Node node) const { return nodes[size_t(node)].tag == "HorizontalLayout"; }
    std::string Text(Node node) const { return nodes[size_t(node)].text; }
};

std::string CSkinPageView::FieldLabel(const ControlRef& ref) const {
    if (ref.row >= 0)
        return std::string();
    auto found = byName.find(ref.name);
    if (found == byName.end())
        return std::string();
    return FieldLabelIn(LabelTree{nodes}, found->second);
}
