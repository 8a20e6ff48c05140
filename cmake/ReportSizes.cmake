# Prints the sizes of INSTALL.EXE and INSTALL.DLL and fails the build when together they pass
# 512 KB: the first disk of a 1.44 MB medium must keep room for packages.
# Run as: cmake -DEXE=... -DDLL=... -P ReportSizes.cmake
file(SIZE "${EXE}" exe_size)
file(SIZE "${DLL}" dll_size)
math(EXPR total "${exe_size} + ${dll_size}")
message(STATUS "INSTALL.EXE ${exe_size} bytes, INSTALL.DLL ${dll_size} bytes, together ${total} of 524288")
if(total GREATER 524288)
  message(FATAL_ERROR "INSTALL.EXE and INSTALL.DLL together exceed 512 KB")
endif()
