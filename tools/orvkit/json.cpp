// JSON output of orvkit's commands: Windows-1252 to UTF-8 and printing.
#include "json.h"

#include <cstdio>

namespace orvkit {

Json text(const char *cp1252) { return cp1252 ? Json(utf8(cp1252)) : Json(nullptr); }

int print_json(const Json &doc, int exit_status) {
    const std::string out = doc.dump(2) + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return exit_status;
}

}  // namespace orvkit
