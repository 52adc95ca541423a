/* Factory.cpp -- the gadget factory: ready-made gadgets from the library's own pictures.
 */
#include "kk_int.h"
#include "ident.h"

MODULE_IDENT("knobkit/Factory.cpp");
