# The folders are the layers: toolkit <- config <- cad, extract, ui <- install <- app. Each folder
# is a static library that sees only its own headers and those of the libraries it uses, so that an
# include from a lower layer to a higher one fails to compile instead of passing review unnoticed.
#
# Headers are included as "folder/File.h". A library's include root is a folder of the build tree
# holding one link, named after the source folder, to that folder: linking a library adds its
# root, and with it that folder's headers alone.
#
# The library is named after its folder, but for install/, whose name CMake reserves: its library
# is "install_steps".
function(add_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 LAYER "" "TARGET" "SOURCES;USES")
  if(NOT LAYER_TARGET)
    set(LAYER_TARGET ${name})
  endif()
  set(root ${CMAKE_BINARY_DIR}/include/${name})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${name} SYMBOLIC)
  add_library(${LAYER_TARGET} STATIC ${LAYER_SOURCES})
  target_include_directories(${LAYER_TARGET} PUBLIC ${root})
  target_link_libraries(${LAYER_TARGET} PUBLIC ${LAYER_USES})
  if(WIN32)
    target_compile_options(${LAYER_TARGET} PRIVATE ${INSTALLER_PRODUCT_OPTIONS})
  endif()
endfunction()

# INSTALL.EXE runs on one thread and names each class it looks for by the kind the class reports:
# no guards around its statics and no run-time type names, which keeps it within its size.
set(INSTALLER_PRODUCT_OPTIONS -fno-threadsafe-statics -fno-rtti)
