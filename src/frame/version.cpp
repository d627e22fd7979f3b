// The version of the loaded library.
#include <ORVCommonKit/orvversion.h>

extern "C" const char *orvstd_version(void) { return ORV_VERSION_STRING; }
