# The status with which a test says it did not run: tests/support/wine-run ends so for a 32-bit
# program on a machine that runs none, compare_flavours.py when the other build is missing.
set(MOKACOMM_SKIPPED 77)

# mokacomm_add_windows_test(<name> <command> [<arg>...])
# A test that runs a Windows program through tests/support/wine-run, directly or by a script: it
# counts as skipped where that program cannot run.
function(mokacomm_add_windows_test name)
  add_test(NAME ${name} COMMAND ${ARGN})
  set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE ${MOKACOMM_SKIPPED})
endfunction()
