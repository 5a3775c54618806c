// Fuzzes the skin XML reader: any bytes, as text and through each encoding, then a walk over
// every element and attribute of whatever was built.
#include "ui/UIMarkup.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void Walk(CMarkupNode node, int depth) {
    for (; node.IsValid(); node = node.GetSibling()) {
        volatile size_t sink = 0;
        sink = sink + std::string(node.GetName()).size() + std::string(node.GetValue()).size();
        const int count = node.GetAttributeCount();
        for (int i = 0; i <= count; ++i) {
            sink = sink + std::string(node.GetAttributeName(i)).size();
            sink = sink + std::string(node.GetAttributeValue(i)).size();
        }
        char buffer[8];
        node.GetAttributeValue("name", buffer, sizeof(buffer));
        node.GetAttributeValue(node.GetAttributeName(0));
        if (depth < CMarkup::kMaxDepth + 2)
            Walk(node.GetChild(), depth + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CMarkup markup;
    if (markup.Load(text.c_str()))
        Walk(markup.GetRoot(), 0);
    for (int encoding : {XMLFILE_ENCODING_UTF8, XMLFILE_ENCODING_UNICODE, XMLFILE_ENCODING_ANSI}) {
        if (markup.LoadFromMem(data, size, encoding))
            Walk(markup.GetRoot(), 0);
    }
    return 0;
}
