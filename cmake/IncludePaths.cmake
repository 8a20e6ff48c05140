# The layers hold only if no file reaches past its include roots: a quoted include is looked for
# beside the including file first, and "../install/PathOps.h" from cad/ would compile. So the
# build checks every C and C++ file for an include that climbs out of its folder
# (CheckIncludePaths.cmake), again whenever one of them changes, and fails naming the file and line.
#
# add_include_path_check(target [ALL] folder...): `target` checks the files below each folder, one
# stamp a folder, so that a change checks its folder alone. A file added to a folder is found at
# the next build.
function(add_include_path_check target)
  cmake_parse_arguments(PARSE_ARGV 1 CHECK "ALL" "" "")
  set(stamps)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/include-paths/${target})
  foreach(folder IN LISTS CHECK_UNPARSED_ARGUMENTS)
    get_filename_component(folder ${folder} ABSOLUTE)
    set(patterns)
    foreach(extension h hpp c cc cpp inc)
      list(APPEND patterns ${folder}/*.${extension})
    endforeach()
    file(GLOB_RECURSE files CONFIGURE_DEPENDS ${patterns})
    get_filename_component(name ${folder} NAME)
    set(stamp ${CMAKE_BINARY_DIR}/include-paths/${target}/${name}.checked)
    add_custom_command(OUTPUT ${stamp}
      COMMAND ${CMAKE_COMMAND} -P ${CMAKE_SOURCE_DIR}/cmake/CheckIncludePaths.cmake -- ${files}
      COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
      DEPENDS ${CMAKE_SOURCE_DIR}/cmake/CheckIncludePaths.cmake ${files}
      COMMENT "Checking that no include of ${name}/ climbs out of its folder"
      VERBATIM)
    list(APPEND stamps ${stamp})
  endforeach()
  if(CHECK_ALL)
    set(all ALL)
  endif()
  add_custom_target(${target} ${all} DEPENDS ${stamps})
endfunction()
