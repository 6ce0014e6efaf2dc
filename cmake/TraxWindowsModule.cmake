# TraxTool.aip: the Windows DLL a host loads. It exports PluginMain alone,
# undecorated, and imports only system DLLs.
enable_language(RC)
add_library(TraxTool SHARED $<TARGET_OBJECTS:trax_objects> ${CMAKE_CURRENT_SOURCE_DIR}/cmake/TraxTool.def
  ${TRAX_RESOURCE_SCRIPT})
set_target_properties(TraxTool PROPERTIES
  PREFIX ""
  SUFFIX ".aip"
  OUTPUT_NAME TraxTool
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_link_options(TraxTool PRIVATE -static-libgcc -static-libstdc++ -Wl,--kill-at)
# The shipped module carries no symbols or debugging sections.
target_link_options(TraxTool PRIVATE $<$<CONFIG:Release>:-s>)
target_link_libraries(TraxTool PRIVATE user32)

# The resource script names its images by file; they are drawn first.
set_source_files_properties(${TRAX_RESOURCE_SCRIPT} PROPERTIES
  INCLUDE_DIRECTORIES ${TRAX_IMAGE_DIR}
  OBJECT_DEPENDS "${TRAX_IMAGES}")
add_dependencies(TraxTool trax_images)
