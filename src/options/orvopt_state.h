// Process-wide state of the option parsers. Every item lives in
// orvopt_state.cpp; the parsers take no lock, so one thread at a time.
#pragma once

#include <ORVCommonKit/orvopt.h>

#include <string>

namespace orvopt {

// The program name shown in every message. Written by the first orvopt_init
// and by the first orvopt_get of the process; Program_name_set tells whether
// either has run yet.
extern std::string Program_name;
extern bool Program_name_set;
// Each parser names the program once.
extern bool Init_named;
extern bool Get_named;

// Position within a group of letters ("-abc") of the step parser; 0 when the
// next call starts a new argument. Written by orvopt_get only. Opt_arg,
// Opt_ind and Opt_opt are the exported globals declared in orvopt.h.
extern int Opt_group_pos;

// The handle whose extraction is running, so that orvopt_debug knows whether
// its specification list may be read. Written by the extraction only.
extern const orvopt_t *Extracting;

}  // namespace orvopt
