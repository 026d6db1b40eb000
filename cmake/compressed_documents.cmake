# Manual pages and changelogs go into the package compressed, as Debian keeps
# them; -n leaves the build time out of the bytes.
#   install_compressed(TARGET DESTINATION FILE...)  FILE relative to the calling folder
function(install_compressed target destination)
  set(compressed)
  foreach(document ${ARGN})
    get_filename_component(name ${document} NAME)
    add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz
      COMMAND gzip -9nc ${CMAKE_CURRENT_SOURCE_DIR}/${document} > ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz
      DEPENDS ${document})
    list(APPEND compressed ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
  endforeach()
  add_custom_target(${target} ALL DEPENDS ${compressed})
  install(FILES ${compressed} DESTINATION ${destination})
endfunction()
