// A small XML reader for skin files.
//
// CMarkup parses a whole document in place in one pass: it writes terminators and decoded
// characters into its own copy of the text and keeps one flat table of elements linked by
// indices. CMarkupNode is a light handle on one element; it builds the element's attribute
// table only when asked. The reader knows no namespaces, DTDs, CDATA or numeric character
// references, and treats text as narrow strings in the ANSI code page.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CMarkup;

// Encodings accepted by LoadFromMem and LoadFromFile.
enum {
    XMLFILE_ENCODING_UTF8 = 0,
    XMLFILE_ENCODING_UNICODE = 1, // UTF-16, little-endian
    XMLFILE_ENCODING_ANSI = 2,    // taken as it is (UTF-8 already)
};

class CMarkupNode {
public:
    // Attributes beyond this many on one element are not seen.
    static constexpr int kMaxAttributes = 64;

    CMarkupNode() = default;
    CMarkupNode(CMarkup* owner, int position);

    bool IsValid() const { return m_owner != nullptr; }

    CMarkupNode GetParent() const;
    CMarkupNode GetSibling() const;
    CMarkupNode GetChild() const;
    // The first child element with this name (case-sensitive), or an invalid node.
    CMarkupNode GetChild(const char* name) const;

    bool HasSiblings() const;
    bool HasChildren() const;
    // The element name, or null for an invalid node.
    const char* GetName() const;
    // The element's character data (the text before its first child or its end tag).
    const char* GetValue() const;

    bool HasAttributes();
    bool HasAttribute(const char* name);
    int GetAttributeCount();
    // Name / value of pair index; "" for an index out of range, null for an invalid node.
    const char* GetAttributeName(int index);
    const char* GetAttributeValue(int index);
    // The value of the first attribute whose name matches case-insensitively; null when
    // there is none.
    const char* GetAttributeValue(const char* name);
    // Copies the value into buffer, cut to size - 1 characters and always terminated.
    // False when not found, when the element has no attributes or the node is invalid.
    bool GetAttributeValue(const char* name, char* buffer, size_t size);

private:
    void MapAttributes();

    struct Attribute {
        size_t name;
        size_t value;
    };

    CMarkup* m_owner = nullptr;
    int m_position = 0;
    int m_attributeCount = 0;
    bool m_mapped = false;
    Attribute m_attributes[kMaxAttributes] = {};
};

class CMarkup {
public:
    // Elements may nest at most this deep; deeper documents fail to load.
    static constexpr int kMaxDepth = 256;

    explicit CMarkup(const char* xml = nullptr);
    CMarkup(const CMarkup&) = delete;
    CMarkup& operator=(const CMarkup&) = delete;

    bool IsValid() const { return !m_text.empty() && m_count > 1; }

    // Parses a copy of the zero-terminated text (taken as ANSI, not converted).
    bool Load(const char* xml);
    // Converts the bytes to the ANSI code page and parses them.
    bool LoadFromMem(const void* bytes, size_t length, int encoding = XMLFILE_ENCODING_UTF8);
    // Reads resource path + file name (at most 4 MiB) and continues as LoadFromMem.
    bool LoadFromFile(const char* fileName, int encoding = XMLFILE_ENCODING_UTF8);
    void Release();

    void SetPreserveWhitespace(bool preserve = true) { m_preserveWhitespace = preserve; }

    const char* GetLastErrorMessage() const { return m_errorMessage; }
    const char* GetLastErrorLocation() const { return m_errorLocation; }
    // Copies the last error message / location into buffer (cut and terminated).
    void GetLastErrorMessage(char* buffer, size_t size) const;
    void GetLastErrorLocation(char* buffer, size_t size) const;

    // The root element (index 1), or an invalid node when the document holds no element.
    CMarkupNode GetRoot();

    // Sizes of the element table (the reserved dummy record 0 included), for diagnostics.
    int GetElementCount() const { return m_count; }
    int GetElementCapacity() const { return m_capacity; }

private:
    friend class CMarkupNode;

    // Positions are offsets into the text and indices into the table, never pointers, so
    // that both may be reallocated.
    struct Element {
        size_t start; // element name
        size_t data;  // character data
        int child;    // first child, 0 if none
        int next;     // next sibling, 0 if none
        int parent;   // 0 for a top-level element
    };

    bool Parse();
    bool ParseSequence(char*& p, int parent, int depth);
    bool ParseAttributes(char*& p);
    bool ParseData(char*& p, char*& dataEnd, char stop);
    int ReserveElement();
    bool Fail(const char* message, const char* location);
    void SetError(const char* message, const char* location);

    char* Text() { return &m_text[0]; }

    std::string m_text; // the document, zero-terminated, modified by parsing
    std::vector<Element> m_elements;
    int m_count = 0;
    int m_capacity = 0;
    bool m_preserveWhitespace = true;
    char m_errorMessage[100] = {};
    char m_errorLocation[50] = {};
};
