/* Led_win_test.cpp -- placeholder until the gadget lands. */
#include "knobkit.h"
