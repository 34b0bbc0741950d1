# SPDX-License-Identifier: MIT
# Build settings that the targets beside the module share.

# Compiles the target's files in batches of eight (unity builds), as the
# top-level file says.
function(kv_build_in_batches target)
  set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 8)
endfunction()

# GCC 12 at -O3 takes some std::string concatenations for overlapping copies.
function(kv_allow_string_concatenations target)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()
