// Property-list text: the reader (OpenStep form and strings tables) and the
// writer of canonical text.
#include "platform/plist.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace orv::plist {

namespace {

bool isWordChar(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || c == '+' || c == '/' || c == ':' || c == '.' || c == '-';
}

int hexValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Windows-1252 bytes 0x80..0x9F and the code points they stand for.
constexpr unsigned short kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// One byte for a code point: itself up to 0xFF, the Windows-1252 byte for the
// characters that code page places in 0x80..0x9F, else '?'.
unsigned char narrow(unsigned cp) {
    if (cp <= 0xFF) return static_cast<unsigned char>(cp);
    for (unsigned i = 0; i < 32; ++i)
        if (kCp1252High[i] == cp) return static_cast<unsigned char>(0x80 + i);
    return '?';
}

class Reader {
public:
    explicit Reader(std::string_view text) : s_(text) {}

    Ref<ORVObject> readDocument() {
        if (!skipSpace()) return nullptr;
        if (atEnd()) return make<ORVDictionary>();  // an empty strings table
        const std::size_t start = pos_;
        const int startLine = line_;
        if (peek() == '"' || isWordChar(peek())) {
            // A string followed by '=' or ';' starts a strings table.
            auto first = readString();
            if (!first) return nullptr;
            if (!skipSpace()) return nullptr;
            if (!atEnd() && (peek() == '=' || peek() == ';')) {
                pos_ = start;
                line_ = startLine;
                return readStringsTable();
            }
            return finish(std::move(first));
        }
        auto obj = readObject(0);
        if (!obj) return nullptr;
        return finish(std::move(obj));
    }

    Ref<ORVDictionary> readStringsTable() {
        auto dict = make<ORVDictionary>();
        for (;;) {
            if (!skipSpace()) return nullptr;
            if (atEnd()) return dict;
            if (peek() != '"' && !isWordChar(peek())) return fail(unexpected("as a key"));
            auto key = readString();
            if (!key) return nullptr;
            if (!skipSpace()) return nullptr;
            Ref<ORVObject> value;
            if (!atEnd() && peek() == ';') {
                value = key->copy();  // "key"; alone: the value is the key
            } else {
                if (atEnd() || peek() != '=') return fail("expected '=' after key");
                ++pos_;
                value = readObject(1);
                if (!value) return nullptr;
                if (!skipSpace()) return nullptr;
                if (atEnd() || peek() != ';') return fail("expected ';' after value");
            }
            ++pos_;
            dict->putEntry(std::move(key), std::move(value), true);
        }
    }

    const Error &error() const { return error_; }

private:
    bool atEnd() const { return pos_ >= s_.size(); }
    unsigned char peek() const { return static_cast<unsigned char>(s_[pos_]); }

    std::nullptr_t fail(std::string message, int line = 0) {
        if (error_.message.empty()) {
            error_.line = line ? line : line_;
            error_.message = std::move(message);
        }
        return nullptr;
    }

    std::string unexpected(const char *where) const {
        char buf[64];
        unsigned char c = peek();
        if (c >= 0x21 && c < 0x7F)
            std::snprintf(buf, sizeof buf, "unexpected character '%c' %s", c, where);
        else
            std::snprintf(buf, sizeof buf, "unexpected byte 0x%02X %s", c, where);
        return buf;
    }

    Ref<ORVObject> finish(Ref<ORVObject> obj) {
        if (!skipSpace()) return nullptr;
        if (!atEnd()) return fail("unexpected text after the property list");
        return obj;
    }

    // Skips blanks and comments; false (with the error set) for an
    // unterminated comment.
    bool skipSpace() {
        while (!atEnd()) {
            unsigned char c = peek();
            if (c == '\n') {
                ++line_;
                ++pos_;
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                ++pos_;
            } else if (c == '/' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '/') {
                while (!atEnd() && peek() != '\n') ++pos_;
            } else if (c == '/' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '*') {
                const int startLine = line_;
                pos_ += 2;
                for (;;) {
                    if (atEnd()) {
                        fail("unterminated comment", startLine);
                        return false;
                    }
                    if (peek() == '*' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '/') {
                        pos_ += 2;
                        break;
                    }
                    if (peek() == '\n') ++line_;
                    ++pos_;
                }
            } else {
                break;
            }
        }
        return true;
    }

    Ref<ORVObject> readObject(int depth) {
        if (depth > kMaxDepth) return fail("nesting too deep");
        if (!skipSpace()) return nullptr;
        if (atEnd()) return fail("unexpected end of input");
        switch (peek()) {
        case '{': return readDictionary(depth);
        case '(': return readArray(depth);
        case '<': return readData();
        default: break;
        }
        if (peek() == '"' || isWordChar(peek())) return readString();
        return fail(unexpected("where a value was expected"));
    }

    Ref<ORVObject> readDictionary(int depth) {
        ++pos_;  // '{'
        auto dict = make<ORVDictionary>();
        for (;;) {
            if (!skipSpace()) return nullptr;
            if (atEnd()) return fail("unterminated dictionary, expected '}'");
            if (peek() == '}') {
                ++pos_;
                return dict;
            }
            if (peek() != '"' && !isWordChar(peek())) return fail(unexpected("as a dictionary key"));
            auto key = readString();
            if (!key) return nullptr;
            if (!skipSpace()) return nullptr;
            if (atEnd() || peek() != '=') return fail("expected '=' after dictionary key");
            ++pos_;
            auto value = readObject(depth + 1);
            if (!value) return nullptr;
            dict->putEntry(std::move(key), std::move(value), true);
            if (!skipSpace()) return nullptr;
            if (atEnd()) return fail("unterminated dictionary, expected '}'");
            if (peek() == ';')
                ++pos_;
            else if (peek() != '}')
                return fail("expected ';' after dictionary value");
        }
    }

    Ref<ORVObject> readArray(int depth) {
        ++pos_;  // '('
        auto array = make<ORVArray>();
        for (;;) {
            if (!skipSpace()) return nullptr;
            if (atEnd()) return fail("unterminated array, expected ')'");
            if (peek() == ')') {
                ++pos_;
                return array;
            }
            auto value = readObject(depth + 1);
            if (!value) return nullptr;
            array->items.push_back(std::move(value));
            if (!skipSpace()) return nullptr;
            if (atEnd()) return fail("unterminated array, expected ')'");
            if (peek() == ',')
                ++pos_;
            else if (peek() != ')')
                return fail("expected ',' or ')' in array");
        }
    }

    Ref<ORVObject> readData() {
        const int startLine = line_;
        ++pos_;  // '<'
        auto data = make<ORVData>();
        int high = -1;
        for (;;) {
            if (atEnd()) return fail("unterminated data, expected '>'", startLine);
            unsigned char c = peek();
            ++pos_;
            if (c == '>') break;
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                if (c == '\n') ++line_;
                continue;
            }
            int v = hexValue(c);
            if (v < 0) {
                --pos_;
                return fail(unexpected("in data"));
            }
            if (high < 0) {
                high = v;
            } else {
                data->bytes.push_back(static_cast<std::uint8_t>(high * 16 + v));
                high = -1;
            }
        }
        if (high >= 0) return fail("odd number of hex digits in data");
        return data;
    }

    Ref<ORVString> readString() {
        if (peek() != '"') {
            std::size_t start = pos_;
            while (!atEnd() && isWordChar(peek())) ++pos_;
            return make<ORVString>(std::string(s_.substr(start, pos_ - start)));
        }
        const int startLine = line_;
        ++pos_;  // opening quote
        std::string out;
        for (;;) {
            if (atEnd()) return fail("unterminated quoted string", startLine);
            unsigned char c = peek();
            ++pos_;
            if (c == '"') break;
            if (c == '\n') ++line_;
            if (c != '\\') {
                out.push_back(static_cast<char>(c));
                continue;
            }
            if (atEnd()) return fail("unterminated quoted string", startLine);
            c = peek();
            ++pos_;
            switch (c) {
            case 'n': out.push_back('\n'); break;
            case 't': out.push_back('\t'); break;
            case 'r': out.push_back('\r'); break;
            case 'a': out.push_back('\a'); break;
            case 'b': out.push_back('\b'); break;
            case 'f': out.push_back('\f'); break;
            case 'v': out.push_back('\v'); break;
            case 'U':
            case 'u': {
                unsigned cp = 0;
                int digits = 0;
                while (digits < 4 && !atEnd() && hexValue(peek()) >= 0) {
                    cp = cp * 16 + static_cast<unsigned>(hexValue(peek()));
                    ++pos_;
                    ++digits;
                }
                if (digits == 0) return fail("\\U escape without hex digits");
                out.push_back(static_cast<char>(narrow(cp)));
                break;
            }
            default:
                if (c >= '0' && c <= '7') {
                    unsigned v = c - '0';
                    for (int i = 0; i < 2 && !atEnd() && peek() >= '0' && peek() <= '7'; ++i) {
                        v = v * 8 + (peek() - '0');
                        ++pos_;
                    }
                    if (v > 0xFF) return fail("octal escape out of range");
                    out.push_back(static_cast<char>(v));
                } else {
                    if (c == '\n') ++line_;
                    out.push_back(static_cast<char>(c));  // \" \\ \' and any other
                }
                break;
            }
        }
        return make<ORVString>(std::move(out));
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    int line_ = 1;
    Error error_;
};

bool isBareWord(std::string_view text) {
    if (text.empty()) return false;
    for (unsigned char c : text)
        if (!isWordChar(c)) return false;
    // "//" or "/*" would start a comment when read back.
    return text.find("//") == std::string_view::npos && text.find("/*") == std::string_view::npos;
}

}  // namespace

std::string Error::text() const {
    if (line <= 0) return message;
    return "line " + std::to_string(line) + ": " + message;
}

Ref<ORVObject> parse(std::string_view text, Error *error) {
    Reader reader(text);
    auto obj = reader.readDocument();
    if (!obj && error) *error = reader.error();
    return obj;
}

Ref<ORVDictionary> parseStrings(std::string_view text, Error *error) {
    Reader reader(text);
    auto dict = reader.readStringsTable();
    if (!dict && error) *error = reader.error();
    return dict;
}

Ref<ORVObject> readFile(const std::string &path, Error *error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error) {
            error->line = 0;
            error->message = "cannot read \"" + path + "\"";
        }
        return nullptr;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) {
        if (error) {
            error->line = 0;
            error->message = "cannot read \"" + path + "\"";
        }
        return nullptr;
    }
    return parse(buffer.str(), error);
}

std::string write(const ORVObject *obj) { return obj ? obj->description() : std::string(); }

std::string writeStrings(const ORVDictionary *dict) {
    std::string out;
    if (!dict) return out;
    for (const auto &[key, value] : dict->entries()) {
        key->describeTo(out, 0);
        out += " = ";
        value->describeTo(out, 0);
        out += ";\n";
    }
    return out;
}

void appendQuoted(std::string &out, std::string_view text) {
    if (isBareWord(text)) {
        out += text;
        return;
    }
    out.push_back('"');
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\%03o", c);
                out += buf;
            } else {
                out.push_back(static_cast<char>(c));
            }
        }
    }
    out.push_back('"');
}

}  // namespace orv::plist
