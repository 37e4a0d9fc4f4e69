# A test run again in another locale, for the test folders of both ABIs.

# mokacomm_add_locale_run(<test> <locale>)
# <test> once more, as <test>_<locale without its encoding>, with the program in that locale
# (tests/support/wine-run); the program checks that it took.
function(mokacomm_add_locale_run test locale)
  string(REGEX REPLACE "\\..*" "" name "${test}_${locale}")
  get_test_property(${test} ENVIRONMENT environment)
  add_test(NAME ${name} COMMAND ${test})
  foreach(property LABELS TIMEOUT RESOURCE_LOCK SKIP_RETURN_CODE)
    get_test_property(${test} ${property} value)
    if(value)
      set_tests_properties(${name} PROPERTIES ${property} "${value}")
    endif()
  endforeach()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment};MOKACOMM_LOCALE=${locale}")
endfunction()
