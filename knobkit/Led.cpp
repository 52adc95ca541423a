/* Led.cpp -- the LED display: panels of segments and lines of dot-matrix text.
 */
#include "kk_int.h"
#include "ident.h"

MODULE_IDENT("knobkit/Led.cpp");
