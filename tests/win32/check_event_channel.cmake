# Wine keeps no event log: its ReportEventW prints each insertion string on
# the eventlog debug channel, "trace:" for information, "warn:" for a
# warning, "err:" for an error. Runs event_writer.exe (the daemon's event
# log backend) under that channel and checks that each event got there:
#   cmake -DRUNNER=<wine-run> -DPREFIX=<prefix> -DWRITER=<event_writer.exe>
#         -P check_event_channel.cmake
if(NOT RUNNER OR NOT PREFIX OR NOT WRITER)
  message(FATAL_ERROR "usage: cmake -DRUNNER=... -DPREFIX=... -DWRITER=... -P ${CMAKE_CURRENT_LIST_FILE}")
endif()
set(ENV{ZARN_WINEDEBUG} "+eventlog")
execute_process(
  COMMAND ${RUNNER} --prefix ${PREFIX} --slots ${WRITER} iwe 1000
          "C:\\Mappe 100%.xls" 00:05:01
  ERROR_VARIABLE channel OUTPUT_VARIABLE output RESULT_VARIABLE exit_code)
# wine-run may pass the program's stderr on through its own stdout.
string(APPEND channel "${output}")
set(problems)
if(NOT exit_code EQUAL 0)
  list(APPEND problems "event_writer.exe exited with ${exit_code}")
endif()
foreach(level trace warn err)
  foreach(string "C:\\\\\\\\Mappe 100%\\.xls" "00:05:01")
    if(NOT channel MATCHES "${level}:eventlog:ReportEventW L\"${string}\"")
      list(APPEND problems "no ${level}: line with ${string}")
    endif()
  endforeach()
endforeach()
if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "${text}\nWine's output:\n${channel}")
endif()
