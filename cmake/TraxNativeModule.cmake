# build/native/TraxTool.so: the plug-in as a loadable module exporting
# PluginMain alone. LoadCursorA, SetCursor and GetKeyboardState stay
# undefined here and come from the process that loads it.
add_library(TraxTool MODULE $<TARGET_OBJECTS:trax_objects>)
set_target_properties(TraxTool PROPERTIES
  PREFIX ""
  OUTPUT_NAME TraxTool
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_link_libraries(TraxTool PRIVATE m)
target_link_options(TraxTool PRIVATE
  -Wl,--version-script=${CMAKE_CURRENT_SOURCE_DIR}/cmake/TraxTool.map)
set_property(TARGET TraxTool APPEND PROPERTY LINK_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/cmake/TraxTool.map)
