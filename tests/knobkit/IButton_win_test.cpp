/* IButton_win_test.cpp -- the IButton gadget under Wine, driven through a dialog. */
#include "knobkit.h"

#include <gtest/gtest.h>
