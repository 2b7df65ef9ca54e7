# Checks that a program is a 64-bit Windows GUI program that needs nothing
# but DLLs every Windows has, so that it runs from a bare copy, and that it
# does not import the DLLs it loads at their first use:
#   cmake -DOBJDUMP=<objdump> -DPROGRAM=<exe> [-DNOT_IMPORTED=a,b]
#         -P check_pe_imports.cmake
if(NOT OBJDUMP OR NOT PROGRAM)
  message(FATAL_ERROR "usage: cmake -DOBJDUMP=... -DPROGRAM=... -P ${CMAKE_CURRENT_LIST_FILE}")
endif()
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM}
                OUTPUT_VARIABLE headers RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} -p ${PROGRAM} failed: ${failed}")
endif()

set(problems)
string(REPLACE "," ";" NOT_IMPORTED "${NOT_IMPORTED}")
if(NOT headers MATCHES "file format pei-x86-64")
  list(APPEND problems "not a 64-bit PE (file format pei-x86-64)")
endif()
if(NOT headers MATCHES "Magic[ \t]+020b[ \t]+\\(PE32\\+\\)")
  list(APPEND problems "optional header is not PE32+")
endif()
if(NOT headers MATCHES "Subsystem[ \t]+00000002[ \t]+\\(Windows GUI\\)")
  list(APPEND problems "subsystem is not Windows GUI (2)")
endif()

# DLLs that ship with every Windows the daemon runs on. The compiler's
# runtimes (libstdc++-6, libgcc_s_seh-1, libwinpthread-1) are not among
# them: the program must carry them linked in.
set(system_dlls
  advapi32 bcrypt comctl32 comdlg32 crypt32 gdi32 kernel32 mpr msvcrt ntdll
  ole32 oleaut32 psapi rpcrt4 shell32 shlwapi ucrtbase user32 uxtheme
  version winhttp ws2_32)
string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${headers}")
if(NOT imports)
  list(APPEND problems "no import table found")
endif()
foreach(line IN LISTS imports)
  string(REGEX REPLACE "^DLL Name: " "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" lower)
  string(REGEX REPLACE "\\.dll$" "" base "${lower}")
  if(base MATCHES "^api-ms-win-")
    continue()
  endif()
  list(FIND system_dlls "${base}" found)
  if(found EQUAL -1)
    list(APPEND problems "imports ${dll}, which is no system DLL")
  endif()
  list(FIND NOT_IMPORTED "${base}" found)
  if(NOT found EQUAL -1)
    list(APPEND problems "imports ${dll}, which it should load at first use")
  endif()
endforeach()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "${PROGRAM}:\n  ${text}")
endif()
list(LENGTH imports count)
message(STATUS "${PROGRAM}: PE32+, Windows GUI, ${count} system DLLs imported")
