// Loading the behavior file into one table per group it names.
#include "config/cf_behavior.h"

#include <ORVCommonKit/tr.h>
#include <ORVCommonKit/ut.h>

#include "config/cf_module.h"
#include "files/fsutil.h"
#include "files/ut_dirs_internal.h"
#include "frame/orvchar_table.h"
#include "platform/plist.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

namespace cf {

namespace {

constexpr const char *kCorrupt =
    "\n*** Your installation is corrupt: report to Service and to Engineering. ***";

// Bit 0x04 (strict group matching) means nothing without a group lookup.
bool invalid_mix(unsigned behavior) noexcept {
    return (behavior & (cf_BEHAVIOR_UNIQUE_GROUP | cf_BEHAVIOR_NAME_GROUP |
                        cf_BEHAVIOR_HOST_GROUP)) == cf_BEHAVIOR_UNIQUE_GROUP;
}

bool is_blank(char c) noexcept { return orv::chars::has(c, orv::chars::kSpace); }

int hex_digit(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void report_corrupt(const char *what, const char *a = nullptr, const char *b = nullptr) {
    // what is one of the fixed message heads below, with %s for a and b.
    std::string fmt = std::string("ERROR loading configuration behaviors.") + what + kCorrupt;
    tr_error(__FILE__, __LINE__, tr_INFORM_LOG, "CF", "ORVCommonKit", fmt.c_str(), a, b);
}

// What a behavior file made of one group: enough to make its table again.
struct GroupBehaviors {
    std::string upperGroup;
    unsigned behavior = 0;
    bool hasVariables = false;
    BehaviorMap variables;
};

// The behavior file as last loaded without a fault: its path and text, and
// the groups it made, in order. A program that starts the module again over
// the same text gets the same tables and traces without parsing it again.
// Written only while the module starts (the module's write section).
struct LoadedBehaviors {
    bool valid = false;
    std::string path;
    std::string text;
    std::vector<GroupBehaviors> groups;
};
LoadedBehaviors Last_loaded;

void make_table(const std::string &upperGroup, unsigned behavior, const BehaviorMap *variables,
                const TableStore &store) {
    tr_trace(__FILE__, __LINE__, tr_LOW, "loadBehaviors() creating table for group: %s",
             upperGroup.c_str());
    auto table = ORVConfigurationTable::create(behavior, variables);
    store(upperGroup, table.get());
}

// Every behavior file ends with the table of the group named group.
void make_group_table(const TableStore &store) {
    tr_trace(__FILE__, __LINE__, tr_LOW,
             "loadBehaviors() completed processing behavior file, creating table for group: %s",
             "GROUP");
    auto groupTable = ORVConfigurationTable::create(0, nullptr);
    store("GROUP", groupTable.get());
}

// Processes the parsed top-level dictionary; returns the result status. With
// made, also lists each group's table as it is made.
int load_groups(const ORVDictionary &top, const TableStore &store,
                std::vector<GroupBehaviors> *made = nullptr) {
    int result = 0;
    for (const auto &[key, entry] : top.entries()) {
        const auto *groupName = orv::as<ORVString>(key.get());
        const auto *group = orv::as<ORVDictionary>(entry.get());
        if (!groupName || !group) {
            report_corrupt("");
            return cf_BEHAVIOR_FILE;
        }
        const char *g = groupName->cString();

        unsigned groupBehavior = cf_BEHAVIOR_HOST;
        if (const ORVObject *def = group->objectForKey("default")) {
            const auto *text = orv::as<ORVString>(def);
            unsigned value = 0;
            if (!text || !parse_behavior_hex(text->value, value)) {
                report_corrupt(" Cannot parse default value for \"%s\".", g);
                return cf_BEHAVIOR_FILE;
            }
            if (invalid_mix(value)) {
                report_corrupt(" Invalid behavior mix in default value for \"%s\".", g);
                result = cf_BEHAVIOR_FILE;
            }
            groupBehavior = value | cf_BEHAVIOR_HOST;
        }

        BehaviorMap variables;
        const auto *vars = group->objectForKey("variables");
        if (vars) {
            const auto *dict = orv::as<ORVDictionary>(vars);
            if (!dict) {
                report_corrupt("");
                return cf_BEHAVIOR_FILE;
            }
            for (const auto &[vkey, vvalue] : dict->entries()) {
                const auto *name = orv::as<ORVString>(vkey.get());
                if (!name) {
                    report_corrupt("");
                    return cf_BEHAVIOR_FILE;
                }
                const auto *text = orv::as<ORVString>(vvalue.get());
                unsigned value = 0;
                if (!text || !parse_behavior_hex(text->value, value)) {
                    report_corrupt(" Cannot parse value for \"%s\" in group \"%s\".",
                                   name->cString(), g);
                    return cf_BEHAVIOR_FILE;
                }
                if (invalid_mix(value)) {
                    report_corrupt(" Invalid behavior mix in value for \"%s\" in group \"%s\".",
                                   name->cString(), g);
                    result = cf_BEHAVIOR_FILE;
                }
                variables[upper(name->value)] = value | cf_BEHAVIOR_HOST;
            }
        }

        std::string upperGroup = upper(groupName->value);
        make_table(upperGroup, groupBehavior, vars ? &variables : nullptr, store);
        if (made) made->push_back({std::move(upperGroup), groupBehavior, vars != nullptr, std::move(variables)});
    }
    make_group_table(store);
    return result;
}

int loaded(int result) {
    tr_trace(__FILE__, __LINE__, tr_LOW, "loadBehaviors() returning.");
    return result;
}

int load_parsed(const orv::Ref<ORVObject> &parsed, const TableStore &store,
                std::vector<GroupBehaviors> *made = nullptr) {
    const auto *top = orv::as<ORVDictionary>(parsed.get());
    if (!top) {
        report_corrupt("");
        return loaded(cf_BEHAVIOR_FILE);
    }
    return loaded(load_groups(*top, store, made));
}

}  // namespace

bool parse_behavior_hex(std::string_view text, unsigned &value) noexcept {
    std::size_t i = 0;
    while (i < text.size() && is_blank(text[i])) ++i;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        i + 2 < text.size() && hex_digit(text[i + 2]) >= 0)
        i += 2;
    unsigned long long v = 0;
    std::size_t digits = 0;
    for (; i < text.size() && hex_digit(text[i]) >= 0; ++i, ++digits) {
        v = v * 16 + static_cast<unsigned>(hex_digit(text[i]));
        if (v > 0xFFFFFFFFull) return false;
    }
    while (i < text.size() && is_blank(text[i])) ++i;
    if (digits == 0 || i != text.size()) return false;
    value = static_cast<unsigned>(v);
    return true;
}

std::string behavior_file_path() {
    std::optional<std::string> dir = orv::files::standard_path(ORVSysDataPathName);
    if (!dir || dir->empty()) return std::string();
    std::string path = std::move(*dir);
    if (path.back() != '/' && path.back() != '\\') path += '/';
    path += "cf/behavior.plist";
    return path;
}

int load_behaviors_from_file(const std::string &path, const TableStore &store) {
    tr_trace(__FILE__, __LINE__, tr_LOW, "loadBehaviors() reading behavior file \"%s\".",
             path.c_str());
    orv::plist::Error error;
    orv::Ref<ORVObject> parsed;
    std::string text;
    if (!path.empty() && orv::files::read_whole_file(path.c_str(), text, nullptr, true) == 0) {
        if (Last_loaded.valid && Last_loaded.path == path && Last_loaded.text == text) {
            for (const GroupBehaviors &group : Last_loaded.groups)
                make_table(group.upperGroup, group.behavior,
                           group.hasVariables ? &group.variables : nullptr, store);
            make_group_table(store);
            return loaded(0);
        }
        parsed = orv::plist::parse(text, &error);
    } else if (!path.empty()) {
        // Whatever stopped the plain read, the property-list reader says it.
        parsed = orv::plist::readFile(path, &error);
    }
    if (!parsed) {
        tr_trace(__FILE__, __LINE__, tr_LOW, "loadBehaviors() %s", error.text().c_str());
    }
    Last_loaded.valid = false;
    std::vector<GroupBehaviors> made;
    const int result = load_parsed(parsed, store, &made);
    if (result == 0 && parsed) {
        Last_loaded.path = path;
        Last_loaded.text = std::move(text);
        Last_loaded.groups = std::move(made);
        Last_loaded.valid = true;
    }
    return result;
}

int load_behaviors_from_text(std::string_view text, const TableStore &store) {
    return load_parsed(orv::plist::parse(text), store);
}

int load_behaviors(const std::string &path) {
    return load_behaviors_from_file(path, [](const std::string &group,
                                                             ORVConfigurationTable *table) {
        store_table(group, table);
    });
}

}  // namespace cf
