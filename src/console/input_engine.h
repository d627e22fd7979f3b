// The engine's entry points for the exported functions and for choices and
// menus.
#pragma once

#include <string>

namespace orv::console {

// input(): the line into line (161 bytes); 1 when it is non-empty.
int read_line(char *line);
// Opens Playback_fname and reads from it (message 37), or says why not
// (message 20).
void start_playback();
// Closes the playback file without a message and returns to standard input.
void end_playback_quietly();
// Puts text into the token buffer and the cursor at its start.
void load_tokens(const char *text);
// The text of a message in the engine's language.
std::string state_text(int number);

}  // namespace orv::console
