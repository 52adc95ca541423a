/* skin_win_test.cpp -- being written. */
