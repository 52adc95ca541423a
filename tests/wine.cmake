# Running the Windows test programs under Wine.
#
# The fixture test wine.start starts a private Xvfb display and boots a Wine
# prefix under this build directory (never ~/.wine); wine.stop ends both.
# Every Windows test runs through the generated wine-run wrapper, which is
# also the cross-compiling emulator.
set(VELLUM_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in
  ${CMAKE_BINARY_DIR}/wine-run @ONLY FILE_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(VELLUM_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VELLUM_WINE_RUN})

add_test(NAME wine.start COMMAND ${CMAKE_CURRENT_LIST_DIR}/wine-env start ${VELLUM_WINE_DIR})
add_test(NAME wine.stop COMMAND ${CMAKE_CURRENT_LIST_DIR}/wine-env stop ${VELLUM_WINE_DIR})
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 180)
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)

# GoogleTest for the Windows test programs, from Debian's sources.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/gtest EXCLUDE_FROM_ALL)
target_compile_options(gtest PRIVATE -w)
target_compile_options(gtest_main PRIVATE -w)
