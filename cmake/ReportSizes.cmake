# Prints the sizes of INSTALL.EXE and INSTALL.DLL, signature included, and whether each is signed,
# and fails the build when together they pass 512 KB: the first disk of a 1.44 MB medium must keep
# room for packages.
# Run as: cmake -DEXE=... -DDLL=... -P ReportSizes.cmake

# The little-endian number of `length` bytes at `offset` of `file`.
function(read_number file offset length out)
  file(READ "${file}" hex OFFSET ${offset} LIMIT ${length} HEX)
  set(value 0)
  math(EXPR last "${length} - 1")
  foreach(i RANGE ${last} 0 -1)
    math(EXPR at "${i} * 2")
    string(SUBSTRING "${hex}" ${at} 2 byte)
    math(EXPR value "(${value} << 8) + 0x${byte}")
  endforeach()
  set(${out} ${value} PARENT_SCOPE)
endfunction()

# "signed" when the program's certificate table (the fifth data directory of a 32-bit program's
# optional header) is not empty.
function(signature_state file out)
  read_number("${file}" 60 4 header)
  math(EXPR certificates "${header} + 4 + 20 + 128 + 4")
  read_number("${file}" ${certificates} 4 size)
  if(size GREATER 0)
    set(${out} "signed" PARENT_SCOPE)
  elseif("$ENV{TOLVEK_SIGN_PKCS12}" STREQUAL "")
    set(${out} "not signed" PARENT_SCOPE)
  else()
    # Linked before a certificate was given: the build signs only what it links.
    set(${out} "not signed; the sign target signs it" PARENT_SCOPE)
  endif()
endfunction()

file(SIZE "${EXE}" exe_size)
file(SIZE "${DLL}" dll_size)
signature_state("${EXE}" exe_state)
signature_state("${DLL}" dll_state)
math(EXPR total "${exe_size} + ${dll_size}")
message(STATUS "INSTALL.EXE ${exe_size} bytes (${exe_state}), INSTALL.DLL ${dll_size} bytes "
               "(${dll_state}), together ${total} of 524288")
if(total GREATER 524288)
  message(FATAL_ERROR "INSTALL.EXE and INSTALL.DLL together exceed 512 KB")
endif()
