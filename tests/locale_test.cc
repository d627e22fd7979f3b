// Localized strings and supported languages, against a temporary installation
// whose "interface" group each test writes, and the library's own tables.
#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"

#include <ORVCommonKit/cf.h>
#include <ORVCommonKit/orvlocale.h>
#include <ORVCommonKit/tr.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

class LocaleTest : public ::testing::Test {
protected:
    void SetUp() override {
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
    std::vector<std::string> languages() {
        int count = -1;
        char **codes = orvlocale_get_all_supported_languages(&count);
        std::vector<std::string> out(codes, codes + (codes ? count : 0));
        orvlocale_free_array(codes, count);
        return out;
    }
    // The text of key in the library's bundle, or "(null)".
    std::string text(const char *table, const char *key, const char *language, const char *value = nullptr) {
        auto s = [](const char *t) { return ORV_OBJECT(orv_string_create(t)); };
        ORVObject *args[] = {s(table), s(key), s(language), s(value)};
        ORVString *found = orvlocale_string_from_table_in_language(
            nullptr, (ORVString *)args[0], (ORVString *)args[1], (ORVString *)args[2], (ORVString *)args[3]);
        for (ORVObject *o : args) orv_object_release(o);
        return found ? orv_string_cstring(found) : "(null)";
    }
    bool error(const std::string &text) {
        return std::find(trace_.errors().begin(), trace_.errors().end(), text) != trace_.errors().end();
    }
    orvtest::TempInstallation dir_;
    orvtest::TraceCapture trace_;
};

TEST_F(LocaleTest, CodesWithoutIdentifierAreSkippedWithAWarning) {
    dir_.write("sys/config/interface.base", "SupportedLanguages SYSTEM enu fra deu\nenu.LanguageID SYSTEM 1033\n"
                                            "deu.LanguageID SYSTEM 1031\nfra.LanguageID SYSTEM francais\n");
    EXPECT_EQ((std::vector<std::string>{"enu", "deu"}), languages());
    EXPECT_TRUE(trace_.traced("Missing config variable fra.LanguageID in interface.base file."));
    EXPECT_TRUE(orvlocale_is_this_language_supported("ENU"));
    EXPECT_FALSE(orvlocale_is_this_language_supported("fra"));
    EXPECT_TRUE(trace_.traced("The given language 'fra' is not supported."));
    EXPECT_STREQ("deu", orvlocale_get_language_name(1031));
    EXPECT_EQ(nullptr, orvlocale_get_language_name(1036));
    EXPECT_EQ(1, cf_is_init());  // started on demand, and left started
    EXPECT_EQ(0, orvlocale_init());
    EXPECT_TRUE(error("IN 'ORVCommonKit' INFORM 'programmer' TITLE 'Re-initialization': "
                      "Re-initialization of the orvlocale attempted."));
}

TEST_F(LocaleTest, ALanguageIdentifierNamedTwiceBelongsToTheLaterCode) {
    dir_.write("sys/config/interface.base", "SupportedLanguages SYSTEM enu deu\nenu.LanguageID SYSTEM 7\n"
                                            "deu.LanguageID SYSTEM 7\n");
    EXPECT_EQ((std::vector<std::string>{"deu"}), languages());
    EXPECT_STREQ("deu", orvlocale_get_language_name(7));
}

TEST_F(LocaleTest, MissingConfigurationIsReportedAndAnswersNothing) {
    EXPECT_EQ(-1, orvlocale_init());
    EXPECT_TRUE(error("IN 'ORVCommonKit' INFORM 'log' TITLE 'orvlocale_init': Missing config variable "
                      "SupportedLanguages in interface.base file."));
    dir_.write("sys/config/interface.base", "SupportedLanguages SYSTEM xx\n");
    cf_refresh_config_table_for_group("interface");
    int count = 7;
    EXPECT_EQ(nullptr, orvlocale_get_all_supported_languages(&count));
    EXPECT_EQ(0, count);
    EXPECT_EQ(0, orvlocale_is_this_language_supported("enu"));
    EXPECT_TRUE(error("IN 'ORVCommonKit' INFORM 'programmer' TITLE 'initialization': No supported "
                      "languages in interface.base file."));
    EXPECT_EQ(nullptr, orvlocale_get_all_supported_languages(nullptr));
    EXPECT_TRUE(error("IN 'ORVCommonKit' INFORM 'log' TITLE 'orvlocale_get_all_supported_languages': "
                      "Error: Invalid output parameter."));
}

TEST_F(LocaleTest, TextsComeFromTheBundleTableOfTheLanguage) {
    EXPECT_EQ("Token mode is %s.\n", text("input", "MSG_DESC13", "enu"));
    EXPECT_EQ("Der Wortmodus ist %s.\n", text("input", "MSG_DESC13", "DEU"));
    EXPECT_EQ("on", text("input", "MSG_DESC14", nullptr));
    EXPECT_TRUE(trace_.traced("Language is not specified.  Assume English."));
    EXPECT_EQ("spare", text("input", "NO_SUCH_KEY", "deu", "spare"));
    EXPECT_EQ("(null)", text("input", "NO_SUCH_KEY", "deu"));
    EXPECT_TRUE(trace_.traced("Key 'NO_SUCH_KEY' is not found in table 'input_deu'."));
    EXPECT_EQ("(null)", text(nullptr, "MSG_DESC13", "enu"));
    EXPECT_EQ("(null)", text("input", nullptr, "enu"));
    for (const char *missing : {"table", "key"})
        EXPECT_TRUE(error(std::string("IN 'ORVCommonKit' INFORM 'programmer' TITLE 'INVALID PARAMETER': "
                                      "orvlocale_string_from_table_in_language: no ") + missing + " given."));
    // Every message of the console and the menus is shipped in every language.
    for (const char *language : {"enu", "deu"}) {
        for (int n = 1; n <= 49; ++n) {
            if (n == 12 || n == 38) continue;
            EXPECT_NE("(null)", text("input", ("MSG_DESC" + std::to_string(n)).c_str(), language)) << n;
        }
    }
}

}  // namespace
