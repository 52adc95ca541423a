# Build helpers shared by every directory.

# setup, Uninstall and knobkit stay lean: no exceptions, no RTTI, optimised
# for size, unused code and data dropped, everything linked statically.
# Under -fdata-sections mingw's compiler gives zero-filled globals .data
# sections of their own, stored in the file: large zeroed records are
# marked VELLUM_BSS (ident.h).
# i686: the Windows ABI keeps the stack 4-byte aligned, so code that
# assumes 16 bytes would only realign it at a cost (no SSE here).
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(VELLUM_SIZE_FLAGS -mpreferred-stack-boundary=2)
endif()

function(vellum_lean target)
  target_compile_options(${target} PRIVATE
    -fno-exceptions -fno-rtti -Os -ffunction-sections -fdata-sections
    -fno-asynchronous-unwind-tables -fno-unwind-tables ${VELLUM_SIZE_FLAGS})
  if(WIN32)
    target_link_options(${target} PRIVATE
      -static -static-libgcc -static-libstdc++ -Wl,--gc-sections -s)
  endif()
endfunction()

# Native sanitizer flags for tests and fuzzers (clang or gcc).
set(VELLUM_SAN_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
    -fno-omit-frame-pointer -g)

# Windows test programs run under Wine through the emulator wrapper that
# tests/CMakeLists.txt configures; they need the wine fixture.
function(vellum_wine_test name)
  add_test(NAME ${name} COMMAND ${ARGN})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300)
endfunction()

# A Wine test that shows windows takes the display lock: one test display
# has one foreground window, one mouse capture and one pointer, and a
# window another test opens takes the first two (a tracked gadget loses
# its capture) and may lie where the pointer clicks.
function(vellum_display_test name)
  set_property(TEST ${name} APPEND PROPERTY RESOURCE_LOCK display)
endfunction()

# The portable core as a static library: vellum_core(name [extra flags...]).
# The host build makes a second, sanitized copy for tests and fuzzers.
function(vellum_core name)
  add_library(${name} STATIC ${VELLUM_CORE_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/core)
  target_compile_options(${name} PRIVATE -fno-exceptions -fno-rtti ${ARGN})
  if(WIN32)
    target_compile_options(${name} PRIVATE -Os -ffunction-sections -fdata-sections
      -fno-asynchronous-unwind-tables -fno-unwind-tables ${VELLUM_SIZE_FLAGS})
  endif()
endfunction()

# Every compiler run sees SOURCE_DATE_EPOCH, which GCC and clang use for
# __DATE__ and __TIME__ (the modules' ident strings, ident.h): the last
# commit's time, so a build tells which commit it is and two builds of one
# commit agree.  A SOURCE_DATE_EPOCH given at configure time wins; without
# git, a fixed time (2026-01-01).  It is read at configure time only: a
# reconfigure after each commit would rebuild everything.
function(vellum_source_date out)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(${out} "$ENV{SOURCE_DATE_EPOCH}" PARENT_SCOPE)
    return()
  endif()
  set(epoch 1767225600)
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
      OUTPUT_VARIABLE git_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
      RESULT_VARIABLE git_rc ERROR_QUIET)
    if(git_rc EQUAL 0 AND git_epoch MATCHES "^[0-9]+$")
      set(epoch ${git_epoch})
    endif()
  endif()
  set(${out} ${epoch} PARENT_SCOPE)
endfunction()
vellum_source_date(VELLUM_SOURCE_DATE_EPOCH)
foreach(lang C CXX)
  set(CMAKE_${lang}_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env
    SOURCE_DATE_EPOCH=${VELLUM_SOURCE_DATE_EPOCH} ${CMAKE_${lang}_COMPILER_LAUNCHER})
endforeach()
