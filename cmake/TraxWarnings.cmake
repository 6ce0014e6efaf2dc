# Compiler settings for the project's own code.
function(trax_strict target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
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
