/* List.cpp -- the list: a list view with a current and a marked item.
 */
#include "kk_int.h"
#include "ident.h"

MODULE_IDENT("knobkit/List.cpp");
