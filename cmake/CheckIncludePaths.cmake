# Fails when a C or C++ file includes a path that climbs out of its folder ("../install/PathOps.h",
# "cad/../install/PathOps.h", the same with backslashes or angle brackets), naming each such file
# and line. A quoted include is looked for beside the including file before the include roots,
# and through ".." from there, or from a root's link to its folder, every folder of the tree is in
# reach: the roots that keep the layers apart (Layers.cmake) would not be asked. Headers are
# included as "folder/File.h", which never needs "..".
#
#   cmake -P CheckIncludePaths.cmake -- FILE...

# A ".." that is a whole component of the included path.
set(path_char "[^\"<>\n]")
set(climbing "#[ \t]*include[ \t]*[\"<](${path_char}*[/\\])?\\.\\.([/\\]${path_char}*)?[\">]")

set(files)
set(after_dashes FALSE)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE ${last})
  if(after_dashes)
    list(APPEND files "${CMAKE_ARGV${i}}")
  elseif(CMAKE_ARGV${i} STREQUAL "--")
    set(after_dashes TRUE)
  endif()
endforeach()

set(found 0)
foreach(file IN LISTS files)
  file(READ "${file}" text)
  if(NOT text MATCHES "${climbing}")
    continue()
  endif()
  # One list element a line: the characters a CMake list treats specially go first.
  string(REGEX REPLACE "[][;\\]" "/" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(number 0)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    if(line MATCHES "^[ \t]*${climbing}")
      string(STRIP "${line}" line)
      message(NOTICE "${file}:${number}: error: this include climbs out of its folder, past the "
                     "include roots that keep the layers apart: ${line}")
      math(EXPR found "${found} + 1")
    endif()
  endforeach()
endforeach()

if(found GREATER 0)
  message(FATAL_ERROR "${found} include(s) climb out of their folder: include a header as "
                      "\"folder/File.h\", from a layer that may see it.")
endif()
