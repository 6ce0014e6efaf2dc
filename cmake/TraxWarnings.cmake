# Compiler settings for the project's own code.
function(trax_strict target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  # GCC 12 takes std::string concatenation at -O3 for overlapping copies
  # (its bug 105329, mended in 13); the Release builds would not compile.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()

# The plug-in: plain C-style code with no exceptions, no RTTI and no hidden
# heap, and floats that round the same on every target (SSE, no contraction).
function(trax_plugin_flags target)
  trax_strict(${target})
  target_compile_options(${target} PRIVATE
    -fno-exceptions -fno-rtti -fno-strict-aliasing -ffp-contract=off
    -fvisibility=hidden -fvisibility-inlines-hidden)
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "i[3-6]86")
    target_compile_options(${target} PRIVATE -msse2 -mfpmath=sse)
  endif()
endfunction()
