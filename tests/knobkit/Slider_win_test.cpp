/* Slider_win_test.cpp -- the Slider gadget under Wine, driven through a dialog. */
#include "knobkit.h"

#include <gtest/gtest.h>
