/* Wheel_win_test.cpp -- the Wheel gadget under Wine, driven through a dialog. */
#include "knobkit.h"

#include <gtest/gtest.h>
