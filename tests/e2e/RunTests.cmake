# Whole runs of the fixture site against nginx: in process through the run
# harness, and (with the program) through `vorlin` itself.
add_library(vorlin_e2e_run_support STATIC support/SiteRun.cpp)
target_link_libraries(vorlin_e2e_run_support PUBLIC vorlin_e2e_support vorlin_run_test_support)

vorlin_add_tests(e2e_site_run_tests
  SOURCES OfflineRunTest.cpp MirrorRunTest.cpp UpdateRunTest.cpp
  LIBS vorlin_e2e_run_support LABELS e2e)
