# Checks that none of the given object files and static libraries calls
# any of the Win32 functions named:
#   cmake -DNM=<nm> -DFILES=a.obj,b.a -DNOT_CALLED=f,g -P check_no_calls.cmake
if(NOT NM OR NOT FILES OR NOT NOT_CALLED)
  message(FATAL_ERROR "usage: cmake -DNM=... -DFILES=... -DNOT_CALLED=... -P ${CMAKE_CURRENT_LIST_FILE}")
endif()
string(REPLACE "," ";" FILES "${FILES}")
string(REPLACE "," ";" NOT_CALLED "${NOT_CALLED}")
set(problems)
foreach(file IN LISTS FILES)
  execute_process(COMMAND ${NM} -A ${file}
                  OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${NM} -A ${file} failed: ${failed}")
  endif()
  # A call through the import table needs the undefined symbol
  # __imp_<function>.
  foreach(function IN LISTS NOT_CALLED)
    string(REGEX MATCHALL "[^\r\n]*U __imp_${function}[\r\n]" hits "${symbols}")
    foreach(hit IN LISTS hits)
      string(STRIP "${hit}" hit)
      list(APPEND problems "${hit}")
    endforeach()
  endforeach()
endforeach()
if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "calls that search for a DLL:\n  ${text}")
endif()
list(LENGTH FILES count)
message(STATUS "${count} files call none of ${NOT_CALLED}")
