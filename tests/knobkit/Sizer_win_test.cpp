/* Sizer_win_test.cpp -- the Sizer gadget under Wine, driven through a dialog. */
#include "knobkit.h"

#include <gtest/gtest.h>
