/* Prefs_win_test.cpp -- (to come) */
#include "knobkit.h"

#include <gtest/gtest.h>
