/* Locale.cpp -- locale string tables: several languages from one file.
 */
#include "kk_int.h"
#include "ident.h"

MODULE_IDENT("knobkit/Locale.cpp");
