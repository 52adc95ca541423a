/* Strings.cpp -- code-page conversion and structures as hex text.
 */
#include "kk_int.h"
#include "ident.h"

MODULE_IDENT("knobkit/Strings.cpp");
