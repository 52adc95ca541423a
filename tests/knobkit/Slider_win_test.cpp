/* Slider_win_test.cpp -- the slider under Wine, driven through a dialog. */
#include "knobkit.h"

#include <gtest/gtest.h>
