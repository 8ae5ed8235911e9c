# k3_add_gtest(NAME name TIMEOUT seconds [ENV var=value...] COMMAND command...)
#
# One ctest entry for a GoogleTest program. Every entry has a time limit, so
# that a window left waiting for an answer (a message box, say) fails the run
# instead of holding it; and every program writes its cases to
# test-results/<name>.xml in the build tree, from which the test script counts
# passed and failed cases. A Windows program run under Wine gets the path in
# its drive Z: form.
set(K3_TEST_RESULTS ${CMAKE_BINARY_DIR}/test-results)

function(k3_add_gtest)
  cmake_parse_arguments(PARSE_ARGV 0 T "" "NAME;TIMEOUT" "ENV;COMMAND")
  set(result ${K3_TEST_RESULTS}/${T_NAME}.xml)
  if(WIN32)
    set(result "Z:${result}")
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_COMMAND})
  set_tests_properties(${T_NAME} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "${T_ENV};GTEST_OUTPUT=xml:${result}")
endfunction()
