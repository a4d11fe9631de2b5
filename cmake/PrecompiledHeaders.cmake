# Precompiled headers: the platform and standard headers nearly every unit
# includes, and GoogleTest for the test programs. All targets share the same
# flags, so one header is compiled for the libraries and programs (on the
# toolkit) and one for the tests (on the test support library), and the other
# targets reuse them.
set(TWINSCOPE_PCH_HEADERS
  <algorithm> <atomic> <cstdint> <functional> <map> <memory> <mutex> <set>
  <string> <unordered_map> <utility> <vector>
  <windows.h> <objbase.h> <shlobj.h> <shellapi.h> <shlwapi.h> <commctrl.h>)

option(TWINSCOPE_PRECOMPILED_HEADERS "Precompile the platform and GoogleTest headers" ON)
if(TWINSCOPE_PRECOMPILED_HEADERS)
  # With libstdc++'s string in a precompiled header, GCC 12 reports its own
  # inlined wmemcpy as out of bounds (false positives it keeps quiet about
  # without one). The 32-bit check build compiles without precompiled headers
  # and keeps the warning for our code.
  add_compile_options(-Wno-array-bounds -Wno-stringop-overread)
endif()

function(twinscope_precompile target)
  if(NOT TWINSCOPE_PRECOMPILED_HEADERS)
    return()
  endif()
  if(target STREQUAL "toolkit")
    target_precompile_headers(toolkit PRIVATE ${TWINSCOPE_PCH_HEADERS})
  else()
    target_precompile_headers(${target} REUSE_FROM toolkit)
  endif()
endfunction()

function(twinscope_precompile_test target)
  if(NOT TWINSCOPE_PRECOMPILED_HEADERS)
    return()
  endif()
  if(target STREQUAL "test_support")
    target_precompile_headers(test_support PRIVATE ${TWINSCOPE_PCH_HEADERS}
      <gtest/gtest.h>)
  else()
    target_precompile_headers(${target} REUSE_FROM test_support)
  endif()
endfunction()

# ccache, when present, keeps object files across clean builds and clones.
# Precompiled headers need it to ignore their time stamps and defines.
find_program(TWINSCOPE_CCACHE ccache)
find_program(TWINSCOPE_ENV env)
if(TWINSCOPE_CCACHE AND TWINSCOPE_ENV)
  set(launcher ${TWINSCOPE_ENV}
      "CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime"
      "CCACHE_BASEDIR=${CMAKE_SOURCE_DIR}" ${TWINSCOPE_CCACHE})
  set(CMAKE_C_COMPILER_LAUNCHER ${launcher})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${launcher})
endif()
