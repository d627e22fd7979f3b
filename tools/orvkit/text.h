// Texts between the terminal and the library: the library speaks
// Windows-1252, terminals and JSON speak UTF-8.
#pragma once

#include <string>

namespace orvkit {

// The UTF-8 form of a Windows-1252 text (empty for null).
std::string utf8(const char *cp1252);
std::string utf8(const std::string &cp1252);

// The Windows-1252 form of an argument typed on a UTF-8 terminal: when text
// is valid UTF-8 and every character in it exists in Windows-1252, the
// converted bytes; otherwise the bytes unchanged (they are taken as
// Windows-1252 already).
std::string to_cp1252(const std::string &text);

}  // namespace orvkit
