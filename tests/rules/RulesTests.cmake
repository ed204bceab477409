# rules_tests: masks, the rule framework, the rule engine and the
# `vorlin rules` command (which the tests run as a program).
vorlin_add_tests(rules_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/MaskTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RuleStreamTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RuleEvaluationTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RuleDescriptionTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CopyActionsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PluginActionTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RulesCommandTest.cpp
  LIBS vorlin_rules)
target_compile_definitions(rules_tests PRIVATE VORLIN_PROGRAM="$<TARGET_FILE:vorlin>")
add_dependencies(rules_tests vorlin)
