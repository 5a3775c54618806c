// JSON as automation engines speak it: a small reader for argument and value files (objects,
// arrays, strings, numbers, true, false, null) and a writer that escapes every text so that a
// line always parses, whatever the values hold (quotes, line breaks, control characters, bytes
// that are not UTF-8).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

class CJson {
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };

    CJson() = default;
    static CJson Bool(bool value);
    static CJson Number(double value);
    static CJson String(std::string value);
    static CJson Array();
    static CJson Object();

    Kind Type() const { return kind_; }
    bool IsObject() const { return kind_ == Kind::Object; }
    bool AsBool() const { return boolean_; }
    double AsNumber() const { return number_; }
    const std::string& AsString() const { return text_; }
    // A value as text: a string as it is, a number or a boolean written out, "" otherwise.
    std::string AsText() const;
    const std::vector<CJson>& Items() const { return items_; }
    // Members in the order they were read or set.
    const std::vector<std::pair<std::string, CJson>>& Members() const { return members_; }
    // The member `name`, or null when there is none.
    const CJson* Find(const std::string& name) const;

    CJson& Add(CJson value);                            // to an array
    CJson& Set(const std::string& name, CJson value);   // to an object (replaces)

    // One line of JSON (no line break inside).
    std::string Write() const;

private:
    Kind kind_ = Kind::Null;
    bool boolean_ = false;
    double number_ = 0;
    std::string text_;
    std::vector<CJson> items_;
    std::vector<std::pair<std::string, CJson>> members_;
};

// Reads a JSON text (a UTF-8 byte-order mark skipped); false with the place and the reason.
// Nesting deeper than 64 levels is refused.
bool ParseJson(const std::string& text, CJson& value, std::string& why);
// A text as a JSON string, quotes included.
std::string JsonString(const std::string& text);
