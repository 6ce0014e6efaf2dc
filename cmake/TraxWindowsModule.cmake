# TraxTool.aip: the Windows DLL a host loads. It exports PluginMain alone,
# undecorated, and imports only system DLLs.
add_library(TraxTool SHARED $<TARGET_OBJECTS:trax_objects> ${CMAKE_CURRENT_SOURCE_DIR}/cmake/TraxTool.def)
set_target_properties(TraxTool PROPERTIES
  PREFIX ""
  SUFFIX ".aip"
  OUTPUT_NAME TraxTool
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_link_options(TraxTool PRIVATE -static-libgcc -static-libstdc++ -Wl,--kill-at)
target_link_libraries(TraxTool PRIVATE user32)
