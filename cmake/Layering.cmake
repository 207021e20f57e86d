# The libraries are layered: shell -> controls -> presentation -> media / subtitles. A library
# reaches headers as "<folder>/<name>.h" only through the include folders of itself and of the
# libraries it links, never through the source root, so an include against the arrows does not
# compile. Each library gets a folder in the build tree holding one link named after its own
# source folder.
function(duvara_export_headers target folder)
  set(view ${CMAKE_BINARY_DIR}/include/${folder})
  file(MAKE_DIRECTORY ${view})
  if(NOT EXISTS ${view}/${folder})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${view}/${folder} SYMBOLIC)
  endif()
  target_include_directories(${target} PUBLIC ${view})
endfunction()
