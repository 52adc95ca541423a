/* Hotkey.cpp -- the hotkey field: an edit control that captures key combinations.
 */
#include "kk_int.h"
#include "ident.h"

MODULE_IDENT("knobkit/Hotkey.cpp");
