/* ProgBar.cpp -- the progress bar: a two-part fill with a caption that inverts over it.
 */
#include "kk_int.h"
#include "ident.h"

MODULE_IDENT("knobkit/ProgBar.cpp");
