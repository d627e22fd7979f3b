// Process-wide state of the option parsers: the program name, the step
// parser's position and the handle of the running extraction.
#include "options/orvopt_state.h"

char *Opt_arg = nullptr;
int Opt_ind = 1;
int Opt_opt = 0;

namespace orvopt {

std::string Program_name;
bool Program_name_set = false;
bool Init_named = false;
bool Get_named = false;
int Opt_group_pos = 0;
const orvopt_t *Extracting = nullptr;

}  // namespace orvopt
