# The code and the client or server headers of Wayland protocols, made from
# Debian's XML with wayland-scanner at build time and added to the target.
#   target_wayland_protocols(TARGET client|server SCANNER XML...)
function(target_wayland_protocols target side scanner)
  # A folder for each target: two may make the same protocol's code.
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/${target}-protocols)
  foreach(xml ${ARGN})
    get_filename_component(name ${xml} NAME_WE)
    set(header ${folder}/${name}-${side}.h)
    set(code ${folder}/${name}-protocol.c)
    add_custom_command(OUTPUT ${header} ${code}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
      COMMAND ${scanner} ${side}-header ${xml} ${header}
      COMMAND ${scanner} private-code ${xml} ${code}
      DEPENDS ${xml})
    target_sources(${target} PRIVATE ${code} ${header})
  endforeach()
  target_include_directories(${target} PRIVATE ${folder})
endfunction()
