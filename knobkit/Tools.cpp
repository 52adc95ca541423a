/* Tools.cpp -- BMP files and list filling.
 */
#include "kk_int.h"
#include "ident.h"

MODULE_IDENT("knobkit/Tools.cpp");
