# Writes INPUT (the demo session text) into OUTPUT as a C++ string.
file(READ ${INPUT} text)
file(WRITE ${OUTPUT} "// Generated from ${INPUT}; do not edit.\n"
  "namespace simhost { extern const char* const kDemoSession = R\"session(${text})session\"; }\n")
