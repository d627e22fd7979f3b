// orvkit ascii and orvkit compare: the plain-ASCII spelling of a text, and
// folded comparison of two texts, in the library's Windows-1252 rules.
#include "orvkit.h"

#include "cmdline.h"
#include "json.h"

#include <ORVCommonKit/ORVCommonKit.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

int run_ascii(int argc, char **argv);
int run_compare(int argc, char **argv);

const orvkit::Command kAscii{
    "ascii", "Spell a Windows-1252 text in plain ASCII",
    "usage: orvkit ascii [--json] TEXT...\n"
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
    "  -j, --json   print one JSON object (given before the text): text, ascii\n"
    "\n"
    "Exit status: 0 done, 2 bad usage.\n",
    run_ascii};

const orvkit::Command kCompare{
    "compare", "Compare two texts ignoring case and accents",
    "usage: orvkit compare A B [--loose] [--json]\n"
    "\n"
    "Compares A and B as the library compares names and keys: case and accents\n"
    "are ignored and sharp s equals \"SS\". With --loose, white space and punctuation\n"
    "are skipped as well. Prints \"equal\", or \"different (N)\" where N is the\n"
    "difference of the first unequal characters (negative when A sorts first).\n"
    "\n"
    "Arguments are read as Windows-1252; valid UTF-8 arguments whose characters\n"
    "Windows-1252 has are converted first, as for 'orvkit ascii'.\n"
    "\n"
    "  --loose   skip white space and punctuation as well\n"
    "  --json    print one JSON object: a, b, loose, equal, difference\n"
    "\n"
    "Exit status: 0 equal, 1 different, 2 bad usage.\n",
    run_compare};

int run_ascii(int argc, char **argv) {
    if (orvkit::wants_help(argc, argv)) return orvkit::print_usage(kAscii);
    int first = 1;
    bool json = false;
    if (first < argc && (std::strcmp(argv[first], "--json") == 0 || std::strcmp(argv[first], "-j") == 0)) {
        json = true;
        ++first;
    }
    if (first < argc && std::strcmp(argv[first], "--") == 0) ++first;
    if (first >= argc) return orvkit::usage_error(kAscii, "no text given");
    std::string text;
    for (int i = first; i < argc; ++i) {
        if (i > first) text += ' ';
        text += orvkit::to_cp1252(argv[i]);
    }
    // Every byte spells as at most three characters.
    std::vector<char> out(text.size() * 3 + 1);
    orvstr_to_ascii(out.data(), text.c_str(), static_cast<int>(out.size() - 1));
    if (json) return orvkit::print_json({{"text", orvkit::utf8(text)}, {"ascii", out.data()}});
    std::printf("%s\n", out.data());
    return orvkit::kOk;
}

int run_compare(int argc, char **argv) {
    if (orvkit::wants_help(argc, argv)) return orvkit::print_usage(kCompare);
    bool loose = false, json = false;
    orvkit::CommandLine args(kCompare);
    args.flag('l', "loose", &loose).flag('j', "json", &json).long_only();
    if (const int status = args.parse(argc, argv)) return status;
    std::vector<std::string> texts;
    for (const std::string &text : args.operands()) texts.push_back(orvkit::to_cp1252(text));
    if (texts.size() != 2)
        return orvkit::usage_error(kCompare, "expected two texts, got %zu", texts.size());
    const int d = orvstr_loose_cmp(texts[0].c_str(), texts[1].c_str(), loose ? 1 : 0);
    if (json)
        return orvkit::print_json({{"a", orvkit::utf8(texts[0])},
                                   {"b", orvkit::utf8(texts[1])},
                                   {"loose", loose},
                                   {"equal", d == 0},
                                   {"difference", d}},
                                  d == 0 ? orvkit::kOk : orvkit::kFailed);
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
