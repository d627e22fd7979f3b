// Internal pieces of the result records.
#pragma once

#include <ORVCommonKit/orvresult.h>

#include <cstdarg>
#include <string>

namespace orvtrace {

// Written by orv_result_enable_trace_in_place.
extern bool ourTraceInPlaceIsEnabled;

using ResultLogFunction = void (*)(orv_result_t *);
void log_as_error(orv_result_t *result);
void log_as_warning(orv_result_t *result);
void log_as_trace(orv_result_t *result);

// Makes a record; description is copied (null stays null). Null, reported,
// when memory is short; the cause is then freed, as the record would have
// owned it.
orv_result_t *make_result(const char *file, int line, const time_t *time, int level, int inform,
                          const char *title, const char *module, int code, orv_result_t *cause,
                          const char *description, ResultLogFunction log);
// Makes a record whose description is fmt formatted with args (%@ allowed)
// and writes it at once when trace in place is on.
orv_result_t *make_formatted_result(const char *file, int line, int level, int inform,
                                    const char *title, const char *module, int code,
                                    orv_result_t *cause, ResultLogFunction log, const char *fmt,
                                    va_list args);

// "2017-Mar-04 13:45:12" of a time, local.
std::string result_time_text(time_t time);
// One "file:line\tcode\tdescription\n" per record of the chain.
std::string result_chain_text(const orv_result_t *result);

}  // namespace orvtrace
