// JSON output of orvkit's commands, for scripts.
//
// A command that reports data takes "-j, --json" and then prints exactly one
// JSON document on standard output, built with these helpers:
//
//     orvkit::Json doc = orvkit::Json::object();
//     doc["group"] = orvkit::text(group);         // Windows-1252 in, UTF-8 out
//     doc["value"] = orvkit::text(maybe_null);    // null stays null
//     return orvkit::print_json(doc, status);
//
// Keys are lower case with underscores ("file_name", "domain", "level",
// "value", "values", "path", "status", "message"), the same word for the same
// thing in every command, and each command's --help lists the keys it prints.
// Errors still go to standard error and the exit status does not change.
#pragma once

#include "text.h"

#include <nlohmann/json.hpp>

namespace orvkit {

// Keys keep the order in which a command sets them.
using Json = nlohmann::ordered_json;

// A JSON string of a library text, or null for a null pointer.
Json text(const char *cp1252);

// Prints the document (indented, with a final line end) on standard output
// and returns exit_status, so a command can end with "return print_json(...)".
int print_json(const Json &doc, int exit_status = 0);

}  // namespace orvkit
