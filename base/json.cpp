#include "base/json.h"

#include "base/text.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kDeepest = 64;

class CReader {
public:
    explicit CReader(const std::string& text) : text_(text) {}

    bool Document(CJson& value, std::string& why) {
        Blank();
        if (!Value(value, 0))
            return Fail(why);
        Blank();
        if (at_ != text_.size()) {
            problem_ = "text after the value";
            return Fail(why);
        }
        return true;
    }

private:
    bool Fail(std::string& why) const {
        size_t line = 1, column = 1;
        for (size_t i = 0; i < at_ && i < text_.size(); ++i, ++column)
            if (text_[i] == '\n') {
                ++line;
                column = 0;
            }
        why = "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " +
              (problem_.empty() ? "not JSON" : problem_);
        return false;
    }
    void Blank() {
        while (at_ < text_.size() &&
               (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\r' || text_[at_] == '\n'))
            ++at_;
    }
    bool Word(const char* word) {
        const std::string w(word);
        if (text_.compare(at_, w.size(), w) != 0)
            return false;
        at_ += w.size();
        return true;
    }
    bool Value(CJson& value, int depth) {
        if (depth > kDeepest) {
            problem_ = "nested too deeply";
            return false;
        }
        if (at_ >= text_.size()) {
            problem_ = "the text ends before a value";
            return false;
        }
        const char c = text_[at_];
        if (c == '{')
            return ObjectValue(value, depth);
        if (c == '[')
            return ArrayValue(value, depth);
        if (c == '"') {
            std::string text;
            if (!StringValue(text))
                return false;
            value = CJson::String(std::move(text));
            return true;
        }
        if (Word("true")) {
            value = CJson::Bool(true);
            return true;
        }
        if (Word("false")) {
            value = CJson::Bool(false);
            return true;
        }
        if (Word("null")) {
            value = CJson();
            return true;
        }
        return NumberValue(value);
    }
    bool NumberValue(CJson& value) {
        const size_t start = at_;
        if (at_ < text_.size() && text_[at_] == '-')
            ++at_;
        while (at_ < text_.size() &&
               (std::isdigit(static_cast<unsigned char>(text_[at_])) || text_[at_] == '.' ||
                text_[at_] == 'e' || text_[at_] == 'E' || text_[at_] == '+' || text_[at_] == '-'))
            ++at_;
        const std::string number = text_.substr(start, at_ - start);
        char* end = nullptr;
        const double parsed = number.empty() ? 0 : std::strtod(number.c_str(), &end);
        if (number.empty() || end != number.c_str() + number.size() || !std::isfinite(parsed)) {
            at_ = start;
            problem_ = "not a value";
            return false;
        }
        value = CJson::Number(parsed);
        return true;
    }
    static void PutUtf8(std::string& out, unsigned code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    bool Hex4(unsigned& code) {
        if (at_ + 4 > text_.size())
            return false;
        code = 0;
        for (int i = 0; i < 4; ++i) {
            const char h = text_[at_++];
            code <<= 4;
            if (h >= '0' && h <= '9')
                code |= static_cast<unsigned>(h - '0');
            else if (h >= 'a' && h <= 'f')
                code |= static_cast<unsigned>(h - 'a' + 10);
            else if (h >= 'A' && h <= 'F')
                code |= static_cast<unsigned>(h - 'A' + 10);
            else
                return false;
        }
        return true;
    }
    bool StringValue(std::string& out) {
        ++at_; // the opening quote
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"')
                return true;
            if (static_cast<unsigned char>(c) < 0x20) {
                problem_ = "a line break or control character inside a string";
                return false;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size())
                break;
            const char e = text_[at_++];
            switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                unsigned code = 0;
                if (!Hex4(code)) {
                    problem_ = "a bad \\u escape";
                    return false;
                }
                if (code >= 0xD800 && code < 0xDC00 && text_.compare(at_, 2, "\\u") == 0) {
                    at_ += 2;
                    unsigned low = 0;
                    if (!Hex4(low) || low < 0xDC00 || low >= 0xE000) {
                        problem_ = "a bad surrogate pair";
                        return false;
                    }
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                }
                PutUtf8(out, code);
                break;
            }
            default:
                problem_ = "a bad escape";
                return false;
            }
        }
        problem_ = "a string is not closed";
        return false;
    }
    bool ArrayValue(CJson& value, int depth) {
        ++at_;
        value = CJson::Array();
        Blank();
        if (at_ < text_.size() && text_[at_] == ']') {
            ++at_;
            return true;
        }
        for (;;) {
            Blank();
            CJson item;
            if (!Value(item, depth + 1))
                return false;
            value.Add(std::move(item));
            Blank();
            if (at_ < text_.size() && text_[at_] == ',') {
                ++at_;
                continue;
            }
            if (at_ < text_.size() && text_[at_] == ']') {
                ++at_;
                return true;
            }
            problem_ = "\",\" or \"]\" expected";
            return false;
        }
    }
    bool ObjectValue(CJson& value, int depth) {
        ++at_;
        value = CJson::Object();
        Blank();
        if (at_ < text_.size() && text_[at_] == '}') {
            ++at_;
            return true;
        }
        for (;;) {
            Blank();
            std::string name;
            if (at_ >= text_.size() || text_[at_] != '"') {
                problem_ = "a member name in quotes expected";
                return false;
            }
            if (!StringValue(name))
                return false;
            Blank();
            if (at_ >= text_.size() || text_[at_] != ':') {
                problem_ = "\":\" expected";
                return false;
            }
            ++at_;
            Blank();
            CJson member;
            if (!Value(member, depth + 1))
                return false;
            value.Set(name, std::move(member));
            Blank();
            if (at_ < text_.size() && text_[at_] == ',') {
                ++at_;
                continue;
            }
            if (at_ < text_.size() && text_[at_] == '}') {
                ++at_;
                return true;
            }
            problem_ = "\",\" or \"}\" expected";
            return false;
        }
    }

    const std::string& text_;
    size_t at_ = 0;
    std::string problem_;
};

// The length of the well-formed UTF-8 sequence at `at`, 0 when it is not one.
size_t Utf8Length(const std::string& text, size_t at) {
    const unsigned char c = static_cast<unsigned char>(text[at]);
    size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (length == 0 || at + length > text.size() || (length == 2 && c < 0xC2))
        return 0;
    for (size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
            return 0;
    return length;
}

} // namespace

CJson CJson::Bool(bool value) {
    CJson json;
    json.kind_ = Kind::Bool;
    json.boolean_ = value;
    return json;
}

CJson CJson::Number(double value) {
    CJson json;
    json.kind_ = Kind::Number;
    json.number_ = value;
    return json;
}

CJson CJson::String(std::string value) {
    CJson json;
    json.kind_ = Kind::String;
    json.text_ = std::move(value);
    return json;
}

CJson CJson::Array() {
    CJson json;
    json.kind_ = Kind::Array;
    return json;
}

CJson CJson::Object() {
    CJson json;
    json.kind_ = Kind::Object;
    return json;
}

std::string CJson::AsText() const {
    switch (kind_) {
    case Kind::String:
        return text_;
    case Kind::Bool:
        return boolean_ ? "true" : "false";
    case Kind::Number: {
        if (number_ == std::floor(number_) && std::fabs(number_) < 1e15)
            return std::to_string(static_cast<long long>(number_));
        char text[32];
        std::snprintf(text, sizeof(text), "%.15g", number_);
        return text;
    }
    default:
        return std::string();
    }
}

const CJson* CJson::Find(const std::string& name) const {
    for (const auto& [key, value] : members_)
        if (key == name)
            return &value;
    return nullptr;
}

CJson& CJson::Add(CJson value) {
    items_.push_back(std::move(value));
    return items_.back();
}

CJson& CJson::Set(const std::string& name, CJson value) {
    for (auto& [key, member] : members_)
        if (key == name) {
            member = std::move(value);
            return member;
        }
    members_.emplace_back(name, std::move(value));
    return members_.back().second;
}

std::string JsonString(const std::string& text) {
    static const char digits[] = "0123456789abcdef";
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c < 0x20 || c == 0x7F) {
            switch (c) {
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                out += "\\u00";
                out += digits[c >> 4];
                out += digits[c & 15];
            }
            ++i;
        } else if (const size_t length = Utf8Length(text, i)) {
            out.append(text, i, length);
            i += length;
        } else {
            // A byte that is not UTF-8 (a legacy code page) stands as the replacement character.
            out += "\\ufffd";
            ++i;
        }
    }
    return out + "\"";
}

std::string CJson::Write() const {
    switch (kind_) {
    case Kind::Null:
        return "null";
    case Kind::Bool:
        return boolean_ ? "true" : "false";
    case Kind::Number:
        return AsText();
    case Kind::String:
        return JsonString(text_);
    case Kind::Array: {
        std::string out = "[";
        for (size_t i = 0; i < items_.size(); ++i)
            out += (i ? "," : "") + items_[i].Write();
        return out + "]";
    }
    case Kind::Object: {
        std::string out = "{";
        for (size_t i = 0; i < members_.size(); ++i)
            out += (i ? "," : "") + JsonString(members_[i].first) + ":" +
                   members_[i].second.Write();
        return out + "}";
    }
    }
    return "null";
}

bool ParseJson(const std::string& text, CJson& value, std::string& why) {
    const std::string plain = WithoutBom(text);
    CReader reader(plain);
    value = CJson();
    return reader.Document(value, why);
}
