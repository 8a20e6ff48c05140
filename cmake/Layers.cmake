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
  # An include that climbs out of its folder would pass the root (IncludePaths.cmake). A build of
  # a few layers on their own (the fuzzer's) has no check.
  if(TARGET include_paths)
    add_dependencies(${LAYER_TARGET} include_paths)
  endif()
  if(WIN32)
    target_compile_options(${LAYER_TARGET} PRIVATE ${INSTALLER_PRODUCT_OPTIONS})
  endif()
endfunction()

# INSTALL.EXE runs on one thread and names each class it looks for by the kind the class reports:
# no guards around its statics and no run-time type names, which keeps it within its size. Its
# code is optimised for size beyond -Os (-Oz: 1.5 KB; INSTALL.DLL, whose extraction is the
# installation's time, keeps -Os). Each object holds its code twice, for the link-time optimiser
# and as ordinary code (see below).
set(INSTALLER_PRODUCT_OPTIONS -Oz -fno-threadsafe-statics -fno-rtti -flto -ffat-lto-objects)

# Links `target` (INSTALL.EXE, INSTALL.DLL) as one program, optimised at link time. Compiled one
# file at a time, each object compiles for itself the inline functions and templates it uses
# (std::string among them: the C++ library instantiates it for C++17 and earlier only); the linker
# keeps one copy of each, but not of their local clones or of the library's message texts that
# come with them. Optimised as a whole, the program has each compiled once, a function called from
# one place inlined there, and what no path reaches gone: a fifth of INSTALL.EXE. One partition
# gives the smallest code and runs no jobs beside the build's own.
#
# The Win32 test programs link the ordinary code of the same libraries (tests/CMakeLists.txt): they
# and GoogleTest carry run-time type information, which the product's classes lack, and GoogleTest's
# ordinary copies of the library's templates clash with the optimiser's at the link (Windows'
# COMDATs). The end-to-end tests run INSTALL.EXE itself.
function(installer_whole_program target)
  target_link_options(${target} PRIVATE -flto -flto-partition=one)
endfunction()
