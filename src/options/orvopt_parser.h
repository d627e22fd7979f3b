// The work behind the orvopt_ functions: naming the program, the number
// tests, the handle parser's extraction, the step parser and the debug print.
#pragma once

#include <ORVCommonKit/orvopt.h>

#include <string>

namespace orvopt {

// Supplies the specifications of one extraction in order; returns false at
// the end of the list. The extraction stops asking after the terminator or
// orvopt_MAX_SPECS entries.
class SpecReader {
public:
    virtual ~SpecReader() = default;
    virtual bool next(orvopt_spec_t &spec) = 0;
};

// The last path component of argv[0] ('/' and '\' both separate) without a
// trailing ".exe" (exact case).
std::string program_name_of(const char *arg0);
// Sets the program name from argv[0] (the empty name when there is none).
void name_program(int argc, char *const argv[]);
// The program name as the messages print it.
const char *message_name();

bool is_int(const char *text);
bool is_unsigned(const char *text);
bool is_float(const char *text);

// Checks a handle; a null one is reported on standard error with the name of
// the calling function (without its "orvopt_" prefix).
bool valid_handle(const orvopt_t *handle, const char *function);

// Reads the specifications and walks the options of the handle.
int extract(orvopt_t *handle, SpecReader &reader);

// One call of the step parser.
int step(int argc, char *const argv[], const char *letters);

// The debug print of a handle.
void debug(const orvopt_t *handle);

}  // namespace orvopt
