# Whole runs of the fixture site against nginx: in process through the run
# harness, and (with the program) through `vorlin` itself.
add_library(vorlin_e2e_run_support STATIC support/SiteRun.cpp support/Program.cpp)
target_link_libraries(vorlin_e2e_run_support PUBLIC vorlin_e2e_support vorlin_run_test_support)

vorlin_add_tests(e2e_site_run_tests
  SOURCES OfflineRunTest.cpp MirrorRunTest.cpp UpdateRunTest.cpp RulesRunTest.cpp HostileRunTest.cpp
    HttpsRunTest.cpp
  LIBS vorlin_e2e_run_support LABELS e2e)

# With the shipped style-sheet plugin loaded: the plugin itself, and the
# offline copy as a browser opens it.
vorlin_add_tests(e2e_css_run_tests
  SOURCES CssRunTest.cpp OfflineCopyRunTest.cpp ${CMAKE_SOURCE_DIR}/tests/plugins/PluginTestSupport.cpp
  LIBS vorlin_e2e_run_support vorlin_plugin_host LABELS e2e)
add_dependencies(e2e_css_run_tests css testkit)
target_compile_definitions(e2e_css_run_tests PRIVATE
  VORLIN_CSS_PLUGIN="$<TARGET_FILE:css>" VORLIN_TESTKIT_DIR="$<TARGET_FILE_DIR:testkit>")

# Through the program itself.
vorlin_add_tests(e2e_program_tests
  SOURCES ShowLinksRunTest.cpp ProgramRunTest.cpp HttpsProgramTest.cpp
  LIBS vorlin_e2e_run_support LABELS e2e)
add_dependencies(e2e_program_tests vorlin)
target_compile_definitions(e2e_program_tests PRIVATE VORLIN_BINARY="$<TARGET_FILE:vorlin>")

# The program on a pseudo-terminal: its questions answered as a user would.
vorlin_add_tests(e2e_terminal_tests
  SOURCES TerminalQuestionsRunTest.cpp support/PtyProgram.cpp
  LIBS vorlin_e2e_run_support util LABELS e2e)
add_dependencies(e2e_terminal_tests vorlin css)
target_compile_definitions(e2e_terminal_tests PRIVATE VORLIN_BINARY="$<TARGET_FILE:vorlin>")
