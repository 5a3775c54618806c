#include "ui/UITags.h"
#include "ui/UIParse.h"

#include <algorithm>
#include <iterator>

namespace {

#define UI_TAG_NAME(Name) #Name,
const char* const kControlTags[] = {UI_CONTROL_TAGS(UI_TAG_NAME)};
#undef UI_TAG_NAME

} // namespace

bool IsResourceTag(const std::string& tag) {
    static const char* const kResources[] = {"Image", "Font", "Default", "Style", "Import"};
    return std::any_of(std::begin(kResources), std::end(kResources),
                       [&tag](const char* name) { return uiparse::EqualsNoCase(tag, name); });
}

bool IsToolkitTag(const std::string& tag) {
    if (IsResourceTag(tag) || uiparse::EqualsNoCase(tag, "Window") ||
        uiparse::EqualsNoCase(tag, "Include"))
        return true;
    return std::any_of(std::begin(kControlTags), std::end(kControlTags),
                       [&tag](const char* name) { return uiparse::EqualsNoCase(tag, name); });
}
