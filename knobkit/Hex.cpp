/* Hex.cpp -- hex and decimal numbers read from text.
 */
#include "kk_int.h"
#include "ident.h"

MODULE_IDENT("knobkit/Hex.cpp");
