# Tests that the layers hold: each probe is one source file, compiled as a file of a layer would be
# (with that library's include roots and nothing else), that includes one header. A header of a
# layer above must not be found; a header of a layer below must compile, which shows that the
# probes themselves see what the layer sees.
function(add_layer_probe layer verdict header)
  string(MAKE_C_IDENTIFIER "layer_probe_${layer}_${header}" probe)
  set(source ${CMAKE_BINARY_DIR}/layer-probes/${probe}.cpp)
  file(WRITE ${source} "#include \"${header}\"\n")
  add_library(${probe} OBJECT EXCLUDE_FROM_ALL ${source})
  target_include_directories(${probe} PRIVATE
    $<TARGET_PROPERTY:${layer},INTERFACE_INCLUDE_DIRECTORIES>)
  set(test LayerProbe.${layer}_${verdict}_${header})
  add_test(NAME ${test} COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target ${probe})
  if(verdict STREQUAL "cannot_include")
    set_tests_properties(${test} PROPERTIES
      PASS_REGULAR_EXPRESSION "${header}: No such file or directory")
  endif()
endfunction()

add_layer_probe(toolkit cannot_include config/Vars.h)
add_layer_probe(toolkit cannot_include unzip/UnzipApi.h)
add_layer_probe(config cannot_include extract/Extraction.h)
add_layer_probe(cad cannot_include install/PathOps.h)
add_layer_probe(ui cannot_include app/MainDlg.h)
add_layer_probe(extract cannot_include install/Sequence.h)
add_layer_probe(extract cannot_include unzip/Extract.h)
add_layer_probe(install_steps cannot_include app/MainDlg.h)
add_layer_probe(unzip_core cannot_include toolkit/UniqueHandle.h)
add_layer_probe(install_steps includes extract/UnzipBinding.h)
add_layer_probe(app includes install/Sequence.h)

# The same for an include that climbs out of its folder past the roots: a file of cad/ that
# includes install/'s header through "..", with the ways it can be written, fails its folder's
# check, which names the file and each such line (2, 3 and 4) and no other; the tree passes.
set(climber ${CMAKE_BINARY_DIR}/include-path-probe/cad/Climbs.cpp)
file(WRITE ${climber} [[
#include "cad/AcadReleases.h"
#include "../install/PathOps.h"
  #  include <cad/../install/Sequence.h>
#include "..\install\Preflight.h"
#include "Release..h"
]])
add_include_path_check(include_path_probe ${CMAKE_BINARY_DIR}/include-path-probe/cad)
add_test(NAME IncludePaths.climbing_include_fails
         COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target include_path_probe)
set_tests_properties(IncludePaths.climbing_include_fails PROPERTIES
  PASS_REGULAR_EXPRESSION "Climbs.cpp:2: error.*Climbs.cpp:3: error.*Climbs.cpp:4: error"
  FAIL_REGULAR_EXPRESSION "Climbs.cpp:[15]:")
add_test(NAME IncludePaths.tree_passes
         COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target include_paths)
