# sign_program(target): after each link of the target, and after its marking to run from the swap
# file, signs it with Authenticode when the environment of the build names a certificate
# (TOLVEK_SIGN_PKCS12, TOLVEK_SIGN_PASSWORD, TOLVEK_SIGN_TIMESTAMP; scripts/sign-programs.sh);
# without one the program stays unsigned and the build says so. The signature covers the file
# header the marking changes, so a program not yet marked is refused here. Nothing of the
# certificate or its password enters the build's cache or its command lines: the step reads them
# from the environment when it runs.
#
# The `sign` target signs the programs as they are, for programs built before a certificate was
# given (a build signs only what it links):
#   TOLVEK_SIGN_PKCS12=... TOLVEK_SIGN_PASSWORD=... cmake --build --preset win32 --target sign
set(SIGN_PROGRAMS ${CMAKE_SOURCE_DIR}/scripts/sign-programs.sh)

function(sign_program target)
  get_target_property(marked ${target} RUN_FROM_SWAP_MARKED)
  if(NOT marked)
    message(FATAL_ERROR "sign_program(${target}) before mark_run_from_swap(${target}): the "
                        "marking would break the signature")
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${SIGN_PROGRAMS} --remove-on-failure $<TARGET_FILE:${target}>
    VERBATIM)
  set_property(GLOBAL APPEND PROPERTY SIGNED_PROGRAMS ${target})
endfunction()

# After every sign_program: the `sign` target, over every program signed at its link.
function(add_sign_target)
  get_property(targets GLOBAL PROPERTY SIGNED_PROGRAMS)
  set(files)
  foreach(target ${targets})
    list(APPEND files $<TARGET_FILE:${target}>)
  endforeach()
  add_custom_target(sign COMMAND ${SIGN_PROGRAMS} ${files} VERBATIM)
  add_dependencies(sign ${targets})
endfunction()
