/* Requester.cpp -- the library's requesters.
 */
#include "kk_int.h"
#include "ident.h"

MODULE_IDENT("knobkit/Requester.cpp");
