# embed_assets(<target> <name>=<file> ...)
# Turns each file into a byte array at build time and adds a source that defines
# EmbeddedAsset(name) for them. The bytes are regenerated whenever a file changes.
function(embed_assets target)
  set(out "${CMAKE_CURRENT_BINARY_DIR}/${target}_embedded.cpp")
  set(pairs "")
  set(deps "")
  foreach(entry IN LISTS ARGN)
    string(REPLACE "=" ";" kv "${entry}")
    list(GET kv 0 name)
    list(GET kv 1 file)
    get_filename_component(file "${file}" ABSOLUTE)
    list(APPEND pairs "${name}=${file}")
    list(APPEND deps "${file}")
  endforeach()
  string(REPLACE ";" "|" pairs_arg "${pairs}")
  add_custom_command(
    OUTPUT "${out}"
    COMMAND ${CMAKE_COMMAND} "-DOUT=${out}" "-DPAIRS=${pairs_arg}"
            -P "${PROJECT_SOURCE_DIR}/cmake/write_embedded.cmake"
    DEPENDS ${deps} "${PROJECT_SOURCE_DIR}/cmake/write_embedded.cmake"
    COMMENT "Embedding assets into ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE "${out}")
endfunction()
