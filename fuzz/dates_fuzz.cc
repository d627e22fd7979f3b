// Fuzz target of the date parser. The first byte picks the format (16 and 17
// are out of range), the second the tense, the third the language (English,
// German, or an id no language has); the rest is the text. A date the parser
// returns must be valid, and in the formats with four-digit years it must
// print and read back as itself. The same text also goes through the parser
// with a caller's keyword record and through the piece cutter.
#include <ORVCommonKit/dt.h>
#include <ORVCommonKit/dtlocale.h>

#include "dates/dt_calendar.h"
#include "fuzz_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::time_t fixedNow() { return 1796558400; }  // 2026-12-06 12:00 UTC

// A private installation whose interface group lists English as 1 and
// German as 2, made once per process.
void install() {
    char root[] = "/tmp/orvdatesfuzz-XXXXXX";
    if (!mkdtemp(root)) std::abort();
    static std::string r = root;
    std::atexit([] { std::error_code ec; std::filesystem::remove_all(r, ec); });
    for (const char *dir : {"/sys", "/sys/config", "/sys/data", "/sys/data/cf", "/site", "/site/config",
                            "/user", "/user/config"})
        mkdir((r + dir).c_str(), 0700);
    if (FILE *f = std::fopen((r + "/sys/config/interface.base").c_str(), "w")) {
        std::fputs("SupportedLanguages\tSYSTEM\tenu deu\nenu.LanguageID\tSYSTEM\t1\ndeu.LanguageID\tSYSTEM\t2\n", f);
        std::fclose(f);
    }
    if (FILE *f = std::fopen((r + "/sys/data/cf/behavior.plist").c_str(), "w")) {
        std::fputs("{ }\n", f);
        std::fclose(f);
    }
    setenv("ORV_ROOT_PATH", r.c_str(), 1);
    setenv("ORV_SYS_CONFIG_PATH", (r + "/sys/config").c_str(), 1);
    setenv("ORV_SITE_CONFIG_PATH", (r + "/site/config").c_str(), 1);
    setenv("ORV_USER_CONFIG_PATH", (r + "/user/config").c_str(), 1);
    setenv("ORV_SYS_DATA_PATH", (r + "/sys/data").c_str(), 1);
    setenv("TZ", "UTC0", 1);
    tzset();
    orv::dates::setClock(fixedNow);
}

const dtlocale_keywords kRecord = {{"Unbekannt", "janvier", "f\xe9vrier", "mars", "avril", "mai", "juin",
                                    "juillet", "ao\xfbt", "septembre", "octobre", "novembre",
                                    "d\xe9" "cembre", "hier", "aujourd'hui", "demain", nullptr}};

void checkValid(int date) {
    if (date == 0) return;
    int y = date / 10000, m = date / 100 % 100, d = date % 100;
    if (y > 32767 || validate_date(static_cast<int16_t>(y), static_cast<uint8_t>(m), static_cast<uint8_t>(d)) != 0)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static bool ready = (orvfuzz::quiet_trace(), install(), true);
    (void)ready;
    if (size < 3) return 0;
    const int format = data[0] % 18;
    const int tense = data[1] % 3 - 1;
    static const int kLanguages[3] = {1, 2, 7};
    const int language = kLanguages[data[2] % 3];
    const std::string text(reinterpret_cast<const char *>(data + 3), size - 3);  // may hold NULs

    int date = -1;
    int code = dt_str_to_date_format_language_tense(&date, text.c_str(), format, language, tense);
    if (code != 0 && date != 0) __builtin_trap();
    checkValid(date);
    if (code == 0 && date != 0 && format % 2 == 1 && date / 10000 <= 9999) {
        char printed[64];
        int back = -1;
        if (dt_date_to_str_format_language(printed, date, format, '/', language) != 0 ||
            dt_str_to_date_format_language_tense(&back, printed, format, language, tense) != 0 ||
            back != date)
            __builtin_trap();
    }

    int other = -1;
    code = dtlocale_dt_str_to_date_format_keys_tense(&other, text.c_str(), format, &kRecord, tense);
    if (code != 0 && other != 0) __builtin_trap();
    checkValid(other);

    char a[19], b[19], c[19];
    char *pieces[3] = {a, b, c};
    int count = 0, numeric = 0, flags[3];
    find_date_pieces(text.c_str(), &count, &numeric, pieces, flags);
    if (count < 0 || count > 4 || numeric > count) __builtin_trap();
    return 0;
}
