# mark_run_from_swap(target): after each link of the target, sets the bits that make Windows run
# it from the swap file when it is started from removable media or the network
# (tools/pe-image/PeImage.h says why; GNU ld has no option for them).
#
# The marking tool runs on the build machine while this build makes Windows programs, so it is
# compiled here with the build machine's own compiler, not as a target of the cross build.
set(MARK_RUN_FROM_SWAP_DIR ${CMAKE_SOURCE_DIR}/tools/pe-image)
set(MARK_RUN_FROM_SWAP_SOURCES
    ${MARK_RUN_FROM_SWAP_DIR}/MarkRunFromSwap.cpp ${MARK_RUN_FROM_SWAP_DIR}/PeImage.cpp)
set(MARK_RUN_FROM_SWAP ${CMAKE_BINARY_DIR}/host/mark-run-from-swap)
find_program(HOST_CXX NAMES c++ g++ clang++ REQUIRED
             DOC "The build machine's C++ compiler, for the tools the build runs")
add_custom_command(
  OUTPUT ${MARK_RUN_FROM_SWAP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
  COMMAND ${HOST_CXX} -std=c++20 -O2 -Wall -Wextra -Wshadow -Werror -I${CMAKE_SOURCE_DIR}
          -o ${MARK_RUN_FROM_SWAP} ${MARK_RUN_FROM_SWAP_SOURCES}
  DEPENDS ${MARK_RUN_FROM_SWAP_SOURCES} ${MARK_RUN_FROM_SWAP_DIR}/PeImage.h
  COMMENT "Building the host tool mark-run-from-swap"
  VERBATIM)
add_custom_target(mark_run_from_swap_tool DEPENDS ${MARK_RUN_FROM_SWAP})

function(mark_run_from_swap target)
  add_dependencies(${target} mark_run_from_swap_tool)
  # A changed tool relinks the target, so the mark is always the current tool's.
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${MARK_RUN_FROM_SWAP})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${MARK_RUN_FROM_SWAP} $<TARGET_FILE:${target}>
    COMMENT "Marking ${target} to run from the swap file"
    VERBATIM)
  # What may come after the marking, the signature, asks for it (cmake/Signing.cmake).
  set_target_properties(${target} PROPERTIES RUN_FROM_SWAP_MARKED ON)
endfunction()
