// The skin XML reader: in-place parse into a flat element table, lazy attribute tables.
#include "ui/UIMarkup.h"

#include <algorithm>

#include "ui/UIResource.h"

#include <climits>
#include <cstring>

namespace {

bool IsWhitespace(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return u >= 1 && u <= 32;
}

void SkipWhitespace(char*& p) {
    while (IsWhitespace(*p))
        ++p;
}

void SkipWhitespace(const char*& p) {
    while (IsWhitespace(*p))
        ++p;
}

bool IsNameChar(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' ||
           u == ':' || u >= 0x80;
}

// Steps over a name: letters, digits, "_", ":" and multibyte characters.
template <typename Char> void SkipIdentifier(Char*& p) {
    while (IsNameChar(*p))
        p = const_cast<Char*>(NextUtf8Char(p));
}

char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool EqualsNoCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        if (FoldCase(*a) != FoldCase(*b))
            return false;
    }
    return *a == *b;
}

// Copies at most size - 1 characters of text and always terminates the buffer.
void CopyCut(char* buffer, size_t size, const char* text) {
    if (!buffer || size == 0)
        return;
    size_t n = 0;
    while (n + 1 < size && text && text[n] != '\0') {
        buffer[n] = text[n];
        ++n;
    }
    buffer[n] = '\0';
}

struct Entity {
    const char* name; // after the "&", including the ";"
    size_t length;
    char value;
};

const Entity kEntities[] = {
    {"amp;", 4, '&'}, {"lt;", 3, '<'}, {"gt;", 3, '>'}, {"quot;", 5, '"'}, {"apos;", 5, '\''},
};

} // namespace

// ---- CMarkupNode -------------------------------------------------------------------------

CMarkupNode::CMarkupNode(CMarkup* owner, int position) : m_owner(owner), m_position(position) {}

CMarkupNode CMarkupNode::GetParent() const {
    if (!m_owner)
        return CMarkupNode();
    int parent = m_owner->m_elements[m_position].parent;
    return parent == 0 ? CMarkupNode() : CMarkupNode(m_owner, parent);
}

CMarkupNode CMarkupNode::GetSibling() const {
    if (!m_owner)
        return CMarkupNode();
    int next = m_owner->m_elements[m_position].next;
    return next == 0 ? CMarkupNode() : CMarkupNode(m_owner, next);
}

CMarkupNode CMarkupNode::GetChild() const {
    if (!m_owner)
        return CMarkupNode();
    int child = m_owner->m_elements[m_position].child;
    return child == 0 ? CMarkupNode() : CMarkupNode(m_owner, child);
}

CMarkupNode CMarkupNode::GetChild(const char* name) const {
    if (!m_owner || !name)
        return CMarkupNode();
    for (int i = m_owner->m_elements[m_position].child; i != 0; i = m_owner->m_elements[i].next) {
        if (std::strcmp(m_owner->Text() + m_owner->m_elements[i].start, name) == 0)
            return CMarkupNode(m_owner, i);
    }
    return CMarkupNode();
}

bool CMarkupNode::HasSiblings() const {
    return m_owner && m_owner->m_elements[m_position].next != 0;
}

bool CMarkupNode::HasChildren() const {
    return m_owner && m_owner->m_elements[m_position].child != 0;
}

const char* CMarkupNode::GetName() const {
    return m_owner ? m_owner->Text() + m_owner->m_elements[m_position].start : nullptr;
}

const char* CMarkupNode::GetValue() const {
    return m_owner ? m_owner->Text() + m_owner->m_elements[m_position].data : nullptr;
}

bool CMarkupNode::HasAttributes() {
    MapAttributes();
    return m_attributeCount > 0;
}

bool CMarkupNode::HasAttribute(const char* name) {
    return GetAttributeValue(name) != nullptr;
}

int CMarkupNode::GetAttributeCount() {
    MapAttributes();
    return m_attributeCount;
}

const char* CMarkupNode::GetAttributeName(int index) {
    if (!m_owner)
        return nullptr;
    MapAttributes();
    if (index < 0 || index >= m_attributeCount)
        return "";
    return m_owner->Text() + m_attributes[index].name;
}

const char* CMarkupNode::GetAttributeValue(int index) {
    if (!m_owner)
        return nullptr;
    MapAttributes();
    if (index < 0 || index >= m_attributeCount)
        return "";
    return m_owner->Text() + m_attributes[index].value;
}

const char* CMarkupNode::GetAttributeValue(const char* name) {
    if (!m_owner || !name)
        return nullptr;
    MapAttributes();
    for (int i = 0; i < m_attributeCount; ++i) {
        if (EqualsNoCase(m_owner->Text() + m_attributes[i].name, name))
            return m_owner->Text() + m_attributes[i].value;
    }
    return nullptr;
}

bool CMarkupNode::GetAttributeValue(const char* name, char* buffer, size_t size) {
    const char* value = GetAttributeValue(name);
    if (!value)
        return false;
    CopyCut(buffer, size, value);
    return true;
}

// The parse left every attribute as: name, terminator, blanks, double quote, value,
// terminator. Walk that shape from the end of the element name up to the element's data,
// stopping at the first place that does not fit it.
void CMarkupNode::MapAttributes() {
    if (m_mapped || !m_owner)
        return;
    m_mapped = true;
    m_attributeCount = 0;
    const char* text = m_owner->Text();
    const CMarkup::Element& element = m_owner->m_elements[m_position];
    const char* end = text + element.data;
    const char* p = text + element.start;
    p += std::strlen(p) + 1;
    while (p < end && m_attributeCount < kMaxAttributes) {
        SkipWhitespace(p);
        const char* name = p;
        SkipIdentifier(p);
        if (p == name || *p != '\0' || p >= end)
            return;
        ++p;
        SkipWhitespace(p);
        if (*p != '"' || p >= end)
            return;
        ++p;
        m_attributes[m_attributeCount].name = size_t(name - text);
        m_attributes[m_attributeCount].value = size_t(p - text);
        ++m_attributeCount;
        p += std::strlen(p) + 1;
    }
}

// ---- CMarkup -----------------------------------------------------------------------------

CMarkup::CMarkup(const char* xml) {
    if (xml)
        Load(xml);
}

bool CMarkup::Load(const char* xml) {
    Release();
    if (!xml)
        xml = "";
    m_text.assign(xml);
    return Parse();
}

namespace {

// The encoding an XML declaration at the start of the text names ("" when it names none).
std::string DeclaredEncoding(const char* data, size_t length) {
    const std::string head(data, std::min<size_t>(length, 200));
    if (head.compare(0, 5, "<?xml") != 0)
        return std::string();
    const size_t end = head.find("?>");
    const size_t at = head.find("encoding", 0);
    if (at == std::string::npos || (end != std::string::npos && at > end))
        return std::string();
    const size_t open = head.find_first_of("\"'", at);
    if (open == std::string::npos)
        return std::string();
    const size_t close = head.find(head[open], open + 1);
    return close == std::string::npos ? std::string() : head.substr(open + 1, close - open - 1);
}

} // namespace

bool CMarkup::LoadFromMem(const void* bytes, size_t length, int encoding) {
    Release();
    const char* data = static_cast<const char*>(bytes);
    if (!data)
        length = 0;
    bool converted = true;
    if (encoding == XMLFILE_ENCODING_UTF8) {
        if (length > 2 && static_cast<unsigned char>(data[0]) == 0xEF &&
            static_cast<unsigned char>(data[1]) == 0xBB &&
            static_cast<unsigned char>(data[2]) == 0xBF) {
            data += 3;
            length -= 3;
        }
        // The text is held as UTF-8; a declaration naming another encoding is decoded from it.
        const unsigned codePage = CodePageOfEncoding(DeclaredEncoding(data, length));
        converted = codePage != 0 && CodePageToUtf8(data, length, codePage, m_text);
    } else if (encoding == XMLFILE_ENCODING_UNICODE) {
        std::u16string units(length / 2, u'\0');
        for (size_t i = 0; i < units.size(); ++i) {
            units[i] = char16_t(static_cast<unsigned char>(data[2 * i]) |
                                (static_cast<unsigned char>(data[2 * i + 1]) << 8));
        }
        size_t first = (!units.empty() && units[0] == 0xFEFF) ? 1 : 0;
        converted = Utf16ToUtf8(units.data() + first, units.size() - first, m_text);
    } else {
        m_text.assign(data, length);
    }
    if (!converted) {
        m_text.clear();
        SetError("Error converting text", nullptr);
        return false;
    }
    // Text ends at its first zero byte, as it would for a C string.
    m_text.resize(std::strlen(m_text.c_str()));
    return Parse();
}

bool CMarkup::LoadFromFile(const char* fileName, int encoding) {
    Release();
    std::string bytes;
    switch (CResourceAccess::ReadResourceFile(fileName, kMaxSkinFileBytes, bytes)) {
    case FileReadStatus::Ok:
        break;
    case FileReadStatus::OpenFailed:
        return Fail("Error opening file", nullptr);
    case FileReadStatus::Empty:
        return Fail("File is empty", nullptr);
    case FileReadStatus::TooLarge:
        return Fail("File too large", nullptr);
    case FileReadStatus::ReadFailed:
        return Fail("Could not read file", nullptr);
    }
    return LoadFromMem(bytes.data(), bytes.size(), encoding);
}

void CMarkup::Release() {
    m_text.clear();
    m_text.shrink_to_fit();
    m_elements.clear();
    m_elements.shrink_to_fit();
    m_count = 0;
    m_capacity = 0;
}

void CMarkup::GetLastErrorMessage(char* buffer, size_t size) const {
    CopyCut(buffer, size, m_errorMessage);
}

void CMarkup::GetLastErrorLocation(char* buffer, size_t size) const {
    CopyCut(buffer, size, m_errorLocation);
}

CMarkupNode CMarkup::GetRoot() {
    if (m_count < 2)
        return CMarkupNode();
    return CMarkupNode(this, 1);
}

void CMarkup::SetError(const char* message, const char* location) {
    CopyCut(m_errorMessage, sizeof(m_errorMessage), message);
    CopyCut(m_errorLocation, sizeof(m_errorLocation), location ? location : "");
}

bool CMarkup::Fail(const char* message, const char* location) {
    SetError(message, location);
    Release();
    return false;
}

int CMarkup::ReserveElement() {
    if (m_count >= m_capacity) {
        const long long grown = static_cast<long long>(m_capacity) + m_capacity / 2 + 500;
        if (grown > INT_MAX)
            return -1;
        m_capacity = int(grown);
        m_elements.resize(size_t(m_capacity));
    }
    m_elements[size_t(m_count)] = Element{};
    return m_count++;
}

bool CMarkup::Parse() {
    SetError("", nullptr);
    m_elements.clear();
    m_count = 0;
    m_capacity = 0;
    ReserveElement(); // record 0 is a dummy: index 0 means "none"
    char* p = Text();
    return ParseSequence(p, 0, 0);
}

bool CMarkup::ParseSequence(char*& p, int parent, int depth) {
    if (depth > kMaxDepth)
        return Fail("Elements nested too deeply", p);
    int previous = 0;
    for (;;) {
        SkipWhitespace(p);
        if (*p == '\0' && parent <= 1)
            return true;
        if (*p != '<')
            return Fail("Expected start tag", p);
        if (p[1] == '/')
            return true; // the caller handles the end tag
        *p++ = '\0';
        SkipWhitespace(p);
        if (*p == '!' || *p == '?') {
            // A comment ends at the first "->", a declaration at the first "?>".
            const char first = *p == '!' ? '-' : '?';
            while (*p != '\0' && !(p[0] == first && p[1] == '>'))
                p = const_cast<char*>(NextUtf8Char(p));
            if (*p != '\0')
                p += 2;
            continue;
        }

        const int position = ReserveElement();
        if (position < 0)
            return Fail("Too many elements", p);
        m_elements[size_t(position)].start = size_t(p - Text());
        m_elements[size_t(position)].parent = parent;
        if (previous != 0)
            m_elements[size_t(previous)].next = position;
        else if (parent > 0)
            m_elements[size_t(parent)].child = position;
        previous = position;

        char* name = p;
        SkipIdentifier(p);
        if (p == name)
            return Fail("Error parsing element name", p);
        char* nameEnd = p;
        const size_t nameLength = size_t(nameEnd - name);
        if (!ParseAttributes(p))
            return false;
        SkipWhitespace(p);
        if (p[0] == '/' && p[1] == '>') {
            m_elements[size_t(position)].data = size_t(p - Text());
            *p = '\0';
            p += 2;
            *nameEnd = '\0';
            continue;
        }
        if (*p != '>')
            return Fail("Expected start-tag closing", p);
        ++p;
        *nameEnd = '\0';
        m_elements[size_t(position)].data = size_t(p - Text());
        char* dataEnd = nullptr;
        ParseData(p, dataEnd, '<');
        if (dataEnd != p)
            *dataEnd = '\0';
        if (*p == '\0' && parent <= 1)
            return true; // an unclosed top-level element is accepted
        if (*p != '<')
            return Fail("Expected end-tag start", p);
        if (p[1] != '/') {
            if (!ParseSequence(p, position, depth + 1))
                return false;
        }
        if (p[0] == '<' && p[1] == '/') {
            *p = '\0';
            p += 2;
            SkipWhitespace(p);
            if (std::strncmp(p, name, nameLength) != 0)
                return Fail("Unmatched closing tag", p);
            p += nameLength;
            SkipWhitespace(p);
            if (*p != '>')
                return Fail("Unmatched closing tag", p);
            ++p;
        } else if (*p == '\0' && position == 1) {
            return true; // the root's children ran to the end: the root stays unclosed
        } else {
            return Fail("Expected end-tag start", p);
        }
    }
}

bool CMarkup::ParseAttributes(char*& p) {
    if (*p == '\0' || *p == '>' || (p[0] == '/' && p[1] == '>'))
        return true;
    *p++ = '\0'; // terminates the element name
    for (;;) {
        SkipWhitespace(p);
        if (*p == '\0' || *p == '/' || *p == '>')
            return true;
        char* name = p;
        SkipIdentifier(p);
        char* nameEnd = p;
        SkipWhitespace(p);
        if (nameEnd == name || *p != '=')
            return Fail("Error while parsing attributes", p);
        *p++ = ' ';
        *nameEnd = '\0';
        SkipWhitespace(p);
        if (*p != '"')
            return Fail("Expected attribute value", p);
        ++p;
        char* value = p;
        char* dataEnd = nullptr;
        ParseData(p, dataEnd, '"');
        if (*p == '\0')
            return Fail("Error while parsing attribute string", value);
        *dataEnd = '\0';
        if (p != dataEnd)
            *p = ' ';
        ++p;
    }
}

// Copies character data in place up to stop (not consumed) or the end of the text, decoding
// the five predefined entity references. Whatever the decoding freed between the end of the
// data and the read position becomes blanks; dataEnd is where the caller puts the terminator.
bool CMarkup::ParseData(char*& p, char*& dataEnd, char stop) {
    char* dest = p;
    while (*p != '\0' && *p != stop) {
        if (*p == '&') {
            bool decoded = false;
            for (const Entity& entity : kEntities) {
                if (std::strncmp(p + 1, entity.name, entity.length) == 0) {
                    *dest++ = entity.value;
                    p += entity.length + 1;
                    decoded = true;
                    break;
                }
            }
            if (!decoded)
                *dest++ = *p++;
            continue;
        }
        if (!m_preserveWhitespace && IsWhitespace(*p)) {
            *dest++ = ' ';
            while (IsWhitespace(*p))
                ++p;
            continue;
        }
        const char* next = NextUtf8Char(p);
        while (p < next)
            *dest++ = *p++;
    }
    for (char* gap = dest; gap < p; ++gap)
        *gap = ' ';
    dataEnd = dest;
    return true;
}
