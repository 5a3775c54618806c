#include "ui/UITags.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace {

#define UI_TAG_NAME(Name) #Name,
const char* const kControlTags[] = {UI_CONTROL_TAGS(UI_TAG_NAME)};
#undef UI_TAG_NAME

bool SameNoCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == a.size() && b[i] == '\0';
}

} // namespace

bool IsResourceTag(const std::string& tag) {
    static const char* const kResources[] = {"Image", "Font", "Default", "Style", "Import"};
    return std::any_of(std::begin(kResources), std::end(kResources),
                       [&tag](const char* name) { return SameNoCase(tag, name); });
}

bool IsToolkitTag(const std::string& tag) {
    if (IsResourceTag(tag) || SameNoCase(tag, "Window") || SameNoCase(tag, "Include"))
        return true;
    return std::any_of(std::begin(kControlTags), std::end(kControlTags),
                       [&tag](const char* name) { return SameNoCase(tag, name); });
}
