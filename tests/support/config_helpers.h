// Shared set-up of the configuration tests: a fresh installation with its
// behavior file, the trace call-back catching every report, and lookups
// returned as text so that a table row can say what it expects.
#pragma once

#include "support/orv_test_support.h"
#include "support/orv_trace_capture.h"

#include <ORVCommonKit/cf.h>
#include <ORVCommonKit/cfshare.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace orvtest {

// The text of a report of the configuration module ("IN 'cf' ...").
inline std::string cf_report(const char *inform, const char *title, const std::string &text) {
    return std::string("IN 'cf' INFORM '") + inform + "' TITLE '" + title + "': " + text;
}

// Values joined by "|".
inline std::string joined(char **values, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += (i ? "|" : "") + std::string(values[i]);
    return out;
}

// The values of a variable joined by "|" (freed), or "status N".
inline std::string cf_values(const char *group, const char *name, int domain = cf_DOMAIN_ALL,
                             const char *host = nullptr) {
    char *values[cf_MAX_VALUES];
    int count = 0;
    const int status = host ? cf_get_for_host(domain, group, name, host, nullptr, &count, values)
                            : cf_get(domain, group, name, nullptr, &count, values);
    if (status != 0) return "status " + std::to_string(status);
    const std::string out = joined(values, count);
    cf_free(values, count);
    return out;
}

// A fresh installation holding behaviors, the module ended before and after.
class ConfigTest : public ::testing::Test {
protected:
    explicit ConfigTest(const char *behaviors = "{ viewer = { default = 0x20; }; }")
        : behaviors_(behaviors) {}
    void SetUp() override {
        cf_close_file_mapping();
        cf_term();
        trace_.start();
        dir_.write("sys/data/cf/behavior.plist", behaviors_);
    }
    void TearDown() override {
        cf_close_file_mapping();
        cf_term();
        trace_.stop();
    }
    std::string write(const std::string &relative, const std::string &text) {
        return dir_.write(relative, text);
    }
    // Writes the site file of group viewer.
    void site(const std::string &text) { write("site/config/viewer.site", text); }
    std::string site_path() const { return dir_ / "site/config/viewer.site"; }
    std::string site_text() const { return read_file(site_path()); }
    // The errors reported since the last clear, then cleared.
    std::vector<std::string> take_errors() {
        std::vector<std::string> errors = trace_.errors();
        trace_.clear();
        return errors;
    }

    std::string behaviors_;
    TempInstallation dir_;
    TraceCapture trace_;
};

}  // namespace orvtest
