# Client code and headers of Wayland protocols, made from Debian's XML with
# wayland-scanner at build time and added to the target.
#   target_wayland_protocols(TARGET SCANNER XML...)
function(target_wayland_protocols target scanner)
  foreach(xml ${ARGN})
    get_filename_component(name ${xml} NAME_WE)
    set(header ${CMAKE_CURRENT_BINARY_DIR}/${name}-client.h)
    set(code ${CMAKE_CURRENT_BINARY_DIR}/${name}-protocol.c)
    add_custom_command(OUTPUT ${header} ${code}
      COMMAND ${scanner} client-header ${xml} ${header}
      COMMAND ${scanner} private-code ${xml} ${code}
      DEPENDS ${xml})
    target_sources(${target} PRIVATE ${code} ${header})
  endforeach()
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
