// The console engine put back to the state of a freshly loaded library, for
// tests, the fuzzer and the benchmarks.
#include "console/input_testing.h"

#include <ORVCommonKit/input.h>

#include <cstdio>

namespace orv::console {

void reset_for_testing() {
    if (orvinput_Input_fp && orvinput_Input_fp != stdin) std::fclose(orvinput_Input_fp);  // a playback file
    orvinput_Input_fp = nullptr;
    Should_record = false;
    Input_eof_count = 0;
    copy_text(Prompt, ": ", kLineChars);
    Allow_blank_input = false;
    Token_mode_enabled = false;
    Temporary_token_mode_enabled = false;
    Token_mode_previously_enabled = false;
    Token_buffer[0] = '\0';
    Token_currentp = Token_buffer;
    copy_text(Orvinput_language, "ENU", kLanguageChars);
    Record_fname[0] = '\0';
    Playback_fname[0] = '\0';
    Input_at_end = false;
}

}  // namespace orv::console
