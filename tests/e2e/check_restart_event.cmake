# Runs e2e.RestartEventTest, a restart of a hung SimExcel, under Wine's
# eventlog debug channel, and checks that the daemon wrote the restart's
# event: information, with the workbook, the report's age and the limit.
#   cmake -DRUNNER=<wine-run> -DPREFIX=<prefix> -DTESTS=<zarn_e2e_tests.exe>
#         -P check_restart_event.cmake
if(NOT RUNNER OR NOT PREFIX OR NOT TESTS)
  message(FATAL_ERROR "usage: cmake -DRUNNER=... -DPREFIX=... -DTESTS=... -P ${CMAKE_CURRENT_LIST_FILE}")
endif()
set(ENV{ZARN_WINEDEBUG} "+eventlog")
execute_process(
  COMMAND ${RUNNER} --prefix ${PREFIX} --slots ${TESTS}
          --gtest_filter=RestartEventTest.*
  ERROR_VARIABLE channel OUTPUT_VARIABLE output RESULT_VARIABLE exit_code)
string(APPEND channel "${output}")
set(problems)
if(NOT exit_code EQUAL 0)
  list(APPEND problems "the restart failed (exit code ${exit_code})")
endif()
# The insertion strings of one event follow each other: the workbook, the
# age of the last report (at least the limit) and the limit.
set(event "trace:eventlog:ReportEventW L\"[^\"\n]*\\\\\\\\Ereignis\\.zsim\"")
if(NOT channel MATCHES "${event}")
  list(APPEND problems "no restart event with the workbook")
endif()
if(NOT channel MATCHES "trace:eventlog:ReportEventW L\"00:00:02\"")
  list(APPEND problems "no restart event with the limit 00:00:02")
endif()
if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "${text}\nOutput:\n${channel}")
endif()
