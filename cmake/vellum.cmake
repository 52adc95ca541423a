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
