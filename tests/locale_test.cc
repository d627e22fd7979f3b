// Localized strings and supported languages, against a temporary installation
// whose "interface" group is written by each test, and the library's own
// strings tables.
#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"

#include <ORVCommonKit/cf.h>
#include <ORVCommonKit/orvlocale.h>
#include <ORVCommonKit/orvobjects.h>
#include <ORVCommonKit/orvstd.h>
#include <ORVCommonKit/tr.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using orvtest::TempInstallation;
using orvtest::TraceCapture;

class LocaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        orvlocale_term();
        cf_term();
        trace_.start();
        tr_ignore_traces_below_level_quietly(tr_LOW);
        tr_ignore_warnings_below_level_quietly(tr_LOW);
        dir_.write("sys/data/cf/behavior.plist", "{ }");
    }
    void TearDown() override {
        orvlocale_term();
        cf_term();
        trace_.stop();
    }
    void interface(const std::string &text) { dir_.write("sys/config/interface.base", text); }

    std::vector<std::string> languages() {
        int count = -1;
        char **codes = orvlocale_get_all_supported_languages(&count);
        std::vector<std::string> out(codes, codes + (codes ? count : 0));
        orvlocale_free_array(codes, count);
        return out;
    }

    // The text of key in the library's table, or "(null)".
    std::string text(const char *table, const char *key, const char *language,
                     const char *value = nullptr) {
        ORVString *t = orv_string_create(table), *k = orv_string_create(key);
        ORVString *l = orv_string_create(language), *v = orv_string_create(value);
        ORVString *s = orvlocale_string_from_table_in_language(nullptr, t, k, l, v);
        std::string out = s ? orv_string_cstring(s) : "(null)";
        for (ORVString *o : {t, k, l, v}) orv_object_release(ORV_OBJECT(o));
        return out;
    }

    TempInstallation dir_;
    TraceCapture trace_;
};

TEST_F(LocaleTest, CodesWithoutIdentifierAreSkippedWithAWarning) {
    interface("SupportedLanguages SYSTEM enu fra deu\nenu.LanguageID SYSTEM 1033\n"
              "deu.LanguageID SYSTEM 1031\nfra.LanguageID SYSTEM francais\n");
    EXPECT_EQ((std::vector<std::string>{"enu", "deu"}), languages());
    EXPECT_TRUE(trace_.traced("Missing config variable fra.LanguageID in interface.base file."));
    EXPECT_TRUE(orvlocale_is_this_language_supported("ENU"));
    EXPECT_FALSE(orvlocale_is_this_language_supported("fra"));
    EXPECT_TRUE(trace_.traced("The given language 'fra' is not supported."));
    EXPECT_STREQ("deu", orvlocale_get_language_name(1031));
    EXPECT_EQ(nullptr, orvlocale_get_language_name(1036));
    // The configuration module started on demand stays started.
    EXPECT_EQ(1, cf_is_init());
    EXPECT_EQ(0, orvlocale_init());
    EXPECT_EQ("IN 'ORVCommonKit' INFORM 'programmer' TITLE 'Re-initialization': "
              "Re-initialization of the orvlocale attempted.",
              trace_.errors().back());
}

TEST_F(LocaleTest, MissingConfigurationIsReportedAndAnswersNothing) {
    struct Case {
        const char *file;  // null: no interface.base
        const char *error;
    } cases[] = {
        {nullptr, "IN 'ORVCommonKit' INFORM 'log' TITLE 'orvlocale_init': Missing config variable "
                  "SupportedLanguages in interface.base file."},
        {"SupportedLanguages SYSTEM xx\n",
         "IN 'ORVCommonKit' INFORM 'programmer' TITLE 'initialization': No supported languages in "
         "interface.base file."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file ? c.file : "no file");
        orvlocale_term();
        cf_term();
        trace_.clear();
        if (c.file) interface(c.file);
        EXPECT_EQ(-1, orvlocale_init());
        int count = 7;
        EXPECT_EQ(nullptr, orvlocale_get_all_supported_languages(&count));
        EXPECT_EQ(0, count);
        EXPECT_EQ(0, orvlocale_is_this_language_supported("enu"));
        EXPECT_NE(trace_.errors().end(),
                  std::find(trace_.errors().begin(), trace_.errors().end(), c.error));
    }
    EXPECT_EQ(nullptr, orvlocale_get_all_supported_languages(nullptr));
    EXPECT_EQ("IN 'ORVCommonKit' INFORM 'log' TITLE 'orvlocale_get_all_supported_languages': "
              "Error: Invalid output parameter.",
              trace_.errors().back());
}

TEST_F(LocaleTest, TextsComeFromTheBundleTableOfTheLanguage) {
    EXPECT_EQ("Token mode is %s.\n", text("input", "MSG_DESC13", "enu"));
    EXPECT_EQ("Der Wortmodus ist %s.\n", text("input", "MSG_DESC13", "DEU"));
    EXPECT_EQ("on", text("input", "MSG_DESC14", nullptr));
    EXPECT_TRUE(trace_.traced("Language is not specified.  Assume English."));

    EXPECT_EQ("spare", text("input", "NO_SUCH_KEY", "deu", "spare"));
    EXPECT_EQ("(null)", text("input", "NO_SUCH_KEY", "deu"));
    EXPECT_TRUE(trace_.traced("Key 'NO_SUCH_KEY' is not found in table 'input_deu'."));
    EXPECT_EQ("(null)", text("nosuchtable", "MSG_DESC13", "enu"));
    // Every message of the console and the menus (1 to 49 but 12 and 38) is
    // shipped in every language.
    for (const char *language : {"enu", "deu"}) {
        for (int n = 1; n <= 49; ++n) {
            if (n == 12 || n == 38) continue;
            const std::string key = "MSG_DESC" + std::to_string(n);
            EXPECT_NE("(null)", text("input", key.c_str(), language)) << key << " " << language;
        }
    }
}

}  // namespace
