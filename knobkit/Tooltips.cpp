/* Tooltips.cpp -- one tooltip window per dialog.
 */
#include "kk_int.h"
#include "ident.h"

MODULE_IDENT("knobkit/Tooltips.cpp");
