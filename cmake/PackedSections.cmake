# installer_packed_sections(target [WITHOUT_UNWIND_TABLES]): links the target (INSTALL.EXE,
# INSTALL.DLL) with the linker's own script, changed so that small sections share a block of the
# file. A program's file gives each section whole blocks of 512 bytes: the C run-time's start-up
# lists (.CRT, some 50 bytes) and its thread-local template (.tls, 8 bytes) took a block each
# beside the data, and the unwind tables (.eh_frame) one more beside the read-only data. Here the
# template and the lists open the data section, and the unwind tables open the read-only data:
# 1.5 KB a program, room that a signature's certificates need.
#
# WITHOUT_UNWIND_TABLES, for INSTALL.DLL, which is built without exceptions and carries no
# unwinder: the unwind tables that the C run-time's and the compiler's own objects bring (2 KB)
# are left out too. The start-up object's table stays, with the end marker that closes it, so the
# list the start-up code hands to an unwinder, should a process have one, is whole.
#
# The script is the one this linker prints (ld --verbose), taken when the build is configured,
# with those sections moved; a linker whose script lacks one of them stops the configuration
# rather than linking with a script half changed. Nothing moves across what the loader reads: the
# thread-local template stays first in its section (its variables are addressed from the
# section's start), the import, export, resource and relocation tables keep their sections, and
# the run-time's pseudo-relocation list still ends the read-only data, where its end marker is
# placed.
function(write_packed_sections_script script unwind_tables)
  execute_process(COMMAND ${CMAKE_LINKER} --verbose -m i386pe
                  OUTPUT_VARIABLE printed RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${CMAKE_LINKER} --verbose printed no linker script")
  endif()
  # The script stands between two lines of '=' signs.
  string(REGEX REPLACE "^.*\n=+\n(.*)\n=+\n.*$" "\\1" text "${printed}")

  # take_section(NAME BODY_VARIABLE): removes the output section statement NAME from the
  # script, giving its body.
  macro(take_section name body)
    string(REGEX MATCH "\n  \\${name} BLOCK\\(__section_alignment__\\) :\n  {\n([^}]*)  }\n"
           statement "${text}")
    if(statement STREQUAL "")
      message(FATAL_ERROR "The linker's script has no section ${name} in the expected form")
    endif()
    set(${body} "${CMAKE_MATCH_1}")
    string(REPLACE "${statement}" "\n" text "${text}")
  endmacro()
  # open_section(OPENING BODY): puts BODY after OPENING, the start of an output section.
  macro(open_section opening body)
    string(FIND "${text}" "${opening}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "The linker's script has no \"${opening}\"")
    endif()
    string(REPLACE "${opening}" "${opening}${body}" text "${text}")
  endmacro()

  take_section(.tls tls)
  take_section(.CRT crt)
  take_section(.eh_frame unwind)
  # The thread-local initialisers' list (.CRT$XDA to .CRT$XDZ) has no line of its own in the
  # script: the linker gave it to the .CRT section by its name. It follows the other lists.
  set(crt "${crt}    KEEP (*(SORT(.CRT$*)))\n")
  set(section_start " BLOCK(__section_alignment__) :\n  {\n")
  open_section("\n  .data${section_start}" "${tls}${crt}")
  if(unwind_tables)
    open_section("\n  .rdata${section_start}" "${unwind}")
  else()
    open_section("\n  .rdata${section_start}"
                 "    KEEP (*crtbegin.o(.eh_frame*))\n    KEEP (*crtend.o(.eh_frame*))\n")
    open_section("\n  /DISCARD/ :\n  {\n" "    *(.eh_frame*)\n")
  endif()
  # Written where it changes only when the script does, so a new configuration relinks nothing.
  file(WRITE ${script}.new "/* The linker's script with .tls and .CRT opening .data, and the\n"
                           "   unwind tables opening .rdata (cmake/PackedSections.cmake). */\n"
                           "${text}\n")
  configure_file(${script}.new ${script} COPYONLY)
endfunction()

function(installer_packed_sections target)
  if(ARGV1 STREQUAL "WITHOUT_UNWIND_TABLES")
    set(script ${CMAKE_BINARY_DIR}/packed-sections-no-unwind.ld)
    write_packed_sections_script(${script} FALSE)
  else()
    set(script ${CMAKE_BINARY_DIR}/packed-sections.ld)
    write_packed_sections_script(${script} TRUE)
  endif()
  target_link_options(${target} PRIVATE -Wl,-T,${script})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${script})
endfunction()
