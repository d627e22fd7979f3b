// The engine's and the menus' messages: texts of the "input" strings table in
// a language, checked against the arguments each message is printed with.
#include "console/input_state.h"

#include "frame/orvlocale_internal.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

namespace orv::console {

namespace {

// The placeholders of each message, in order: 's' text, 'd' number.
const char *signature(int number) {
    switch (number) {
    case 13: case 18: case 21: case 23: case 24: case 25: case 30: case 31: case 37: case 41:
    case 44:
        return "s";
    case 20: case 22: case 27: case 29: case 33: case 43:
        return "ss";
    case 26:
        return "ds";
    case 45: case 47: case 48:
        return "d";
    default:
        return "";
    }
}

// The kinds of the placeholders of a printf text ('s' or 'd' each), or
// nullopt when it holds one that the messages never use (widths from
// arguments, length modifiers, other conversions).
bool placeholders(const std::string &text, std::string &kinds) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') continue;
        if (++i < text.size() && text[i] == '%') continue;
        while (i < text.size() && std::strchr("-+ #0", text[i])) ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        if (i < text.size() && text[i] == '.') {
            ++i;
            while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        }
        if (i >= text.size()) return false;
        if (text[i] == 's') kinds.push_back('s');
        else if (text[i] == 'd' || text[i] == 'i') kinds.push_back('d');
        else return false;
    }
    return true;
}

struct Text {
    std::string text;
    bool format;  // false: print as it is (the "unavailable" text)
};

constexpr int kMessages = 50;  // message numbers run from 1 to 49

// The texts of one language, looked up on first use.
struct LanguageTexts {
    std::string language;
    std::array<std::optional<Text>, kMessages> texts;
};

Text load(const char *language, int number) {
    char unavailable[400];
    std::snprintf(unavailable, sizeof unavailable,
                  "The localized string '%d' is unavailable in %s_%s.strings file.", number,
                  "input", language);
    const std::string name = "MSG_DESC" + std::to_string(number);
    if (auto text = orv::locale::lookup(nullptr, "input", name, language, unavailable)) {
        std::string kinds;
        if (*text != unavailable && placeholders(*text, kinds) && kinds == signature(number))
            return {*text, true};
    }
    return {unavailable, false};
}

const Text &lookup(const char *language, int number) {
    static std::vector<LanguageTexts> cache;
    static Text other;  // a number outside the table (never cached)
    if (number < 0 || number >= kMessages) return other = load(language, number);
    auto it = std::find_if(cache.begin(), cache.end(),
                           [&](const LanguageTexts &t) { return t.language == language; });
    if (it == cache.end()) it = cache.insert(cache.end(), LanguageTexts{language, {}});
    auto &slot = it->texts[static_cast<std::size_t>(number)];
    if (!slot) slot = load(language, number);
    return *slot;
}

}  // namespace

void vmessage_in(const char *language, int number, va_list args) {
    const Text &text = lookup(language, number);
    if (text.format) std::vfprintf(stdout, text.text.c_str(), args);
    else std::fputs(text.text.c_str(), stdout);
}

void message_in(const char *language, int number, ...) {
    va_list args;
    va_start(args, number);
    vmessage_in(language, number, args);
    va_end(args);
}

void message(int number, ...) {
    va_list args;
    va_start(args, number);
    vmessage_in(Orvinput_language, number, args);
    va_end(args);
}

std::string message_text(const char *language, int number) { return lookup(language, number).text; }

void copy_text(char *dst, const char *src, std::size_t max) {
    std::size_t n = 0;
    if (src)
        while (n < max && src[n]) ++n;
    if (n && dst != src) std::memmove(dst, src, n);
    dst[n] = '\0';
}

}  // namespace orv::console
