// The property-list text form: reader and writer.
//
// The reader takes the OpenStep form: { key = value; ... }, ( a, b, ... ),
// unquoted words of letters, digits and _$+/:.-, quoted strings with the
// escapes \n \t \r \a \b \f \v \" \\ \ooo (octal) and \Uxxxx (narrowed to one
// byte; code points above 0xFF become '?'), <hex data>, and // and /* */
// comments. A text that is a bare sequence of key = value; pairs (a .strings
// table, where "key"; alone means the value is the key) reads as a dictionary.
// Everything it returns is made of strings, data, arrays and dictionaries.
//
// Malformed input gives null and an error with the 1-based line of the fault.
// Nesting deeper than kMaxDepth is refused rather than followed.
#pragma once

#include "platform/objects.h"

#include <string>
#include <string_view>

namespace orv::plist {

inline constexpr int kMaxDepth = 256;

struct Error {
    int line = 0;         // 1-based; 0 when the file could not be read
    std::string message;  // e.g. "unterminated string"
    // "line 3: unterminated string" (or just the message when line is 0)
    std::string text() const;
};

// Reads a property list (or a strings table) from text.
Ref<ORVObject> parse(std::string_view text, Error *error = nullptr);
// Reads only the strings-table form: "key" = "value"; pairs, no braces.
Ref<ORVDictionary> parseStrings(std::string_view text, Error *error = nullptr);
// Reads a whole file with parse().
Ref<ORVObject> readFile(const std::string &path, Error *error = nullptr);

// The canonical text form of obj (its description), which parse() reads back
// to an equal object when obj is made of strings, data, arrays and
// dictionaries with string keys.
std::string write(const ORVObject *obj);
// A strings table: one "key" = "value"; line per entry of a dictionary whose
// keys and values are strings.
std::string writeStrings(const ORVDictionary *dict);
// Appends text as a property-list string: bare when it is a non-empty word of
// safe characters, otherwise quoted with escapes.
void appendQuoted(std::string &out, std::string_view text);

}  // namespace orv::plist
