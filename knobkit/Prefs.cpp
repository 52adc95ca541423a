/* Prefs.cpp -- settings in INI files.
 */
#include "kk_int.h"
#include "ident.h"

MODULE_IDENT("knobkit/Prefs.cpp");
