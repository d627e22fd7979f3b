// The localized-string lookup for the library's own modules (console
// messages, date texts), without the platform string objects of the C entry.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct ORVBundle;

namespace orv::locale {

// The text of key in "<table>_<language>" of bundle (the library's bundle
// when null); language null means English after a warning. When the key is
// missing: value when it is non-empty, else nullopt after the "not found"
// warning.
std::optional<std::string> lookup(ORVBundle *bundle, std::string_view table,
                                  std::string_view key, const char *language,
                                  std::string_view value);

// The table's full name for a language: "<table>_<code in lower case>".
std::string table_name(std::string_view table, std::string_view language);

}  // namespace orv::locale
