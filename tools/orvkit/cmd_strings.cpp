// orvkit ascii and orvkit compare: the plain-ASCII spelling of a text, and
// folded comparison of two texts, in the library's Windows-1252 rules.
#include "orvkit.h"

#include "cmdline.h"

#include <ORVCommonKit/ORVCommonKit.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

// Unicode code points of Windows-1252 bytes 0x80 to 0x9F (0 where the code
// page leaves a byte unassigned); 0xA0 to 0xFF are the same as Unicode.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

std::optional<unsigned char> cp1252_byte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] != 0 && kHighControls[i] == cp) return static_cast<unsigned char>(0x80 + i);
    return std::nullopt;
}

// The Windows-1252 form of an argument typed on a UTF-8 terminal: when text is
// valid UTF-8 and every character in it exists in Windows-1252, the converted
// bytes; otherwise the bytes unchanged (they are taken as Windows-1252 already).
std::string to_cp1252(const std::string &text) {
    std::string out;
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    const auto *end = p + text.size();
    while (p < end) {
        char32_t cp;
        int extra;
        if (*p < 0x80) {
            cp = *p;
            extra = 0;
        } else if ((*p & 0xE0) == 0xC0) {
            cp = *p & 0x1F;
            extra = 1;
        } else if ((*p & 0xF0) == 0xE0) {
            cp = *p & 0x0F;
            extra = 2;
        } else if ((*p & 0xF8) == 0xF0) {
            cp = *p & 0x07;
            extra = 3;
        } else {
            return text;
        }
        if (end - p <= extra) return text;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80) return text;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        // Overlong forms and surrogates are not valid UTF-8.
        static constexpr char32_t kMinimum[4] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMinimum[extra] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return text;
        const std::optional<unsigned char> byte = cp1252_byte(cp);
        if (!byte) return text;
        out += static_cast<char>(*byte);
        p += extra + 1;
    }
    return out;
}

int run_ascii(int argc, char **argv);
int run_compare(int argc, char **argv);

const orvkit::Command kAscii{
    "ascii", "Spell a Windows-1252 text in plain ASCII",
    "usage: orvkit ascii TEXT...\n"
    "\n"
    "Prints the plain-ASCII spelling of TEXT (the arguments joined by blanks):\n"
    "accented letters become their base letters, ligatures and symbols their\n"
    "ASCII spelling (the AE ligature AE, the half sign 1/2, the trade mark sign\n"
    "TM, sharp s ss), as the library spells them.\n"
    "\n"
    "The text is read as Windows-1252. An argument that is valid UTF-8 and holds\n"
    "only characters that Windows-1252 has is converted to Windows-1252 first, so\n"
    "text typed on a UTF-8 terminal works as expected.\n"
    "\n"
    "Exit status: 0 done, 2 bad usage.\n",
    run_ascii};

const orvkit::Command kCompare{
    "compare", "Compare two texts ignoring case and accents",
    "usage: orvkit compare A B [--loose]\n"
    "\n"
    "Compares A and B as the library compares names and keys: case and accents\n"
    "are ignored and sharp s equals \"SS\". With --loose, white space and punctuation\n"
    "are skipped as well. Prints \"equal\", or \"different (N)\" where N is the\n"
    "difference of the first unequal characters (negative when A sorts first).\n"
    "\n"
    "Arguments are read as Windows-1252; valid UTF-8 arguments whose characters\n"
    "Windows-1252 has are converted first, as for 'orvkit ascii'.\n"
    "\n"
    "Exit status: 0 equal, 1 different, 2 bad usage.\n",
    run_compare};

int run_ascii(int argc, char **argv) {
    if (orvkit::wants_help(argc, argv)) return orvkit::print_usage(kAscii);
    int first = 1;
    if (first < argc && std::strcmp(argv[first], "--") == 0) ++first;
    if (first >= argc) return orvkit::usage_error(kAscii, "no text given");
    std::string text;
    for (int i = first; i < argc; ++i) {
        if (i > first) text += ' ';
        text += to_cp1252(argv[i]);
    }
    // Every byte spells as at most three characters.
    std::vector<char> out(text.size() * 3 + 1);
    orvstr_to_ascii(out.data(), text.c_str(), static_cast<int>(out.size() - 1));
    std::printf("%s\n", out.data());
    return orvkit::kOk;
}

int run_compare(int argc, char **argv) {
    if (orvkit::wants_help(argc, argv)) return orvkit::print_usage(kCompare);
    bool loose = false;
    orvkit::CommandLine args(kCompare);
    args.flag('l', "loose", &loose).long_only();
    if (const int status = args.parse(argc, argv)) return status;
    std::vector<std::string> texts;
    for (const std::string &text : args.operands()) texts.push_back(to_cp1252(text));
    if (texts.size() != 2)
        return orvkit::usage_error(kCompare, "expected two texts, got %zu", texts.size());
    const int d = orvstr_loose_cmp(texts[0].c_str(), texts[1].c_str(), loose ? 1 : 0);
    if (d == 0) {
        std::printf("equal\n");
        return orvkit::kOk;
    }
    std::printf("different (%d)\n", d);
    return orvkit::kFailed;
}

const orvkit::Registrar ascii_registrar(kAscii);
const orvkit::Registrar compare_registrar(kCompare);

}  // namespace
