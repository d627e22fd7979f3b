// orvchar_: classification and mapping of single Windows-1252 bytes, read
// from the compile-time tables of orvchar_table.h.
#include "frame/orvchar_table.h"

#include <ORVCommonKit/orvstr.h>

using namespace orv::chars;

namespace {
// The result buffer of orvchar_to_ascii for bytes below 0x80, shared by all
// callers and overwritten by the next such call.
char Ascii_buffer[2];
}  // namespace

extern "C" {

int orvchar_is_ascii(char c) { return static_cast<signed char>(c) >= 0; }
int orvchar_is_alpha(char c) { return has(c, kAlpha); }
int orvchar_is_upper(char c) { return has(c, kUpperCase); }
int orvchar_is_lower(char c) { return has(c, kLowerCase); }
int orvchar_is_alnum(char c) { return has(c, kAlpha | kDigit); }
int orvchar_is_print(char c) { return has(c, kPrint); }
int orvchar_is_space(char c) { return has(c, kSpace); }
int orvchar_is_cntrl(char c) { return has(c, kCntrl); }
int orvchar_is_punct(char c) { return has(c, kPunct); }

char orvchar_to_upper(char c) { return static_cast<char>(kTables.upper[byte(c)]); }
char orvchar_to_lower(char c) { return static_cast<char>(kTables.lower[byte(c)]); }
int orvchar_sort_order(char c) { return kTables.sort[byte(c)]; }

const char *orvchar_to_ascii(char c) {
    if (byte(c) >= 0x80) return kUpperHalf[byte(c) - 0x80].ascii;
    Ascii_buffer[0] = c;
    Ascii_buffer[1] = '\0';
    return Ascii_buffer;
}

}  // extern "C"
