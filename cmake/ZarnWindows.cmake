# The Windows side: Win32 backends, ZARNDaemon.exe with its resources, the
# backend tests and the tools, all run under Wine by CTest.

# The oldest Windows the daemon runs on: Windows 10, and with it Windows
# Server 2016. The headers declare nothing newer to any program of the build.
# What the exe imports needs Windows 8 (GetSystemTimePreciseAsFileTime, and
# LoadLibraryExW with LOAD_LIBRARY_SEARCH_SYSTEM32); what only later
# systems have (GetDpiForWindow) is looked up at run time.
# The manifest's supportedOS names the same Windows, which
# e2e.ZARNDaemonExe.ManifestNamesTheBuildsWindows checks, and README.md and
# docs/deployment.md say so.
set(ZARN_WIN32_WINNT 0x0A00)
add_compile_definitions(_WIN32_WINNT=${ZARN_WIN32_WINNT}
                        WINVER=${ZARN_WIN32_WINNT}
                        NTDDI_VERSION=${ZARN_WIN32_WINNT}0000)

set(ZARN_WIN32_LIBS winhttp ole32 oleaut32 uuid wbemuuid version shell32 mpr
    gdi32 user32 advapi32 comctl32 psapi)

zarn_glob_sources(ZARN_WIN32_SOURCES src/platform/win32)
add_library(zarn_win32 STATIC ${ZARN_WIN32_SOURCES})
target_link_libraries(zarn_win32 PUBLIC zarn_core ${ZARN_WIN32_LIBS})
target_compile_definitions(zarn_win32 PUBLIC UNICODE _UNICODE NOMINMAX
                           WIN32_LEAN_AND_MEAN)
zarn_set_warnings(zarn_win32)

# Version resource and manifest; the numbers come from project().
configure_file(${CMAKE_SOURCE_DIR}/src/zarn_daemon.rc.in
               ${CMAKE_BINARY_DIR}/generated/zarn_daemon.rc @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/src/zarn_daemon.manifest.in
               ${CMAKE_BINARY_DIR}/generated/zarn_daemon.manifest @ONLY)
# The resource compiler reads the manifest, but no build tool sees that.
set_source_files_properties(${CMAKE_BINARY_DIR}/generated/zarn_daemon.rc
  PROPERTIES OBJECT_DEPENDS ${CMAKE_BINARY_DIR}/generated/zarn_daemon.manifest)

# The message table of the event log: src/zarn_events.mc compiled into
# generated/MSG00407.bin, which zarn_daemon.rc takes in. windmc beside
# windres under MinGW; mc under MSVC, which reads Unicode input as UTF-16
# only, so it gets a UTF-16 copy of the UTF-8 source.
set(zarn_generated ${CMAKE_BINARY_DIR}/generated)
set(zarn_message_table ${zarn_generated}/MSG00407.bin)
if(MSVC)
  if(NOT CMAKE_MC_COMPILER)
    find_program(CMAKE_MC_COMPILER mc REQUIRED)
  endif()
  add_custom_command(OUTPUT ${zarn_message_table}
    COMMAND powershell -NoProfile -NonInteractive -Command
      "[IO.File]::WriteAllText('zarn_events.mc', [IO.File]::ReadAllText('${CMAKE_SOURCE_DIR}/src/zarn_events.mc'), [Text.Encoding]::Unicode)"
    COMMAND ${CMAKE_MC_COMPILER} -u -U -h . -r . zarn_events.mc
    DEPENDS ${CMAKE_SOURCE_DIR}/src/zarn_events.mc
    WORKING_DIRECTORY ${zarn_generated}
    VERBATIM)
else()
  get_filename_component(zarn_windres_dir "${CMAKE_RC_COMPILER}" DIRECTORY)
  get_filename_component(zarn_windres_name "${CMAKE_RC_COMPILER}" NAME)
  string(REPLACE "windres" "windmc" zarn_windmc_name "${zarn_windres_name}")
  find_program(ZARN_WINDMC NAMES ${zarn_windmc_name} windmc
               HINTS ${zarn_windres_dir} REQUIRED)
  add_custom_command(OUTPUT ${zarn_message_table}
    COMMAND ${ZARN_WINDMC} --codepage_in=65001 --unicode_out -h . -r .
            ${CMAKE_SOURCE_DIR}/src/zarn_events.mc
    DEPENDS ${CMAKE_SOURCE_DIR}/src/zarn_events.mc
    WORKING_DIRECTORY ${zarn_generated}
    VERBATIM)
endif()
add_custom_target(zarn_message_table DEPENDS ${zarn_message_table})
set_property(SOURCE ${zarn_generated}/zarn_daemon.rc APPEND PROPERTY
  OBJECT_DEPENDS ${zarn_message_table})

if(EXISTS ${CMAKE_SOURCE_DIR}/src/main.cpp)
  add_executable(ZARNDaemon WIN32 src/main.cpp
                 ${CMAKE_BINARY_DIR}/generated/zarn_daemon.rc)
  add_dependencies(ZARNDaemon zarn_message_table)
  target_link_libraries(ZARNDaemon PRIVATE zarn_win32)
  zarn_set_warnings(ZARNDaemon)
  zarn_link_like_daemon(ZARNDaemon)
endif()

# The backends' own tests, and in tests/win32 the subsystems' logic on them.
# The helpers these tests share, header-only, live in src/testing/win32,
# apart from the backends, with a test of their own.
zarn_glob_tests(ZARN_WIN32_TESTS src/platform/win32 src/testing/win32
                tests/win32)
# Tests that need a zone with daylight-saving rules: Wine takes the zone
# from each process's TZ, so they run as a program of their own.
file(GLOB ZARN_BERLIN_TESTS CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/src/platform/win32/*_berlin_test.cpp)
list(REMOVE_ITEM ZARN_WIN32_TESTS ${ZARN_BERLIN_TESTS})
add_executable(zarn_berlin_tests ${ZARN_BERLIN_TESTS})
target_link_libraries(zarn_berlin_tests PRIVATE zarn_win32 GTest::gtest_main)
zarn_set_warnings(zarn_berlin_tests)
zarn_compile_as_test(zarn_berlin_tests)
gtest_discover_tests(zarn_berlin_tests
  TEST_PREFIX "berlin."
  DISCOVERY_MODE PRE_TEST
  DISCOVERY_TIMEOUT 120
  PROPERTIES ENVIRONMENT TZ=Europe/Berlin TIMEOUT 120)
if(ZARN_WIN32_TESTS)
  add_executable(zarn_win32_tests ${ZARN_WIN32_TESTS})
  target_link_libraries(zarn_win32_tests PRIVATE zarn_win32 zarn_testing
                        GTest::gmock GTest::gtest_main)
  zarn_set_warnings(zarn_win32_tests)
  zarn_compile_as_test(zarn_win32_tests PRECOMPILE)
  # The tests start ZARNDaemon.exe and the tools from their own folder.
  if(TARGET ZARNDaemon)
    add_dependencies(zarn_win32_tests ZARNDaemon)
  endif()
  set_source_files_properties(tests/win32/win32_http_probe_test.cpp
    PROPERTIES COMPILE_DEFINITIONS ZARN_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  zarn_discover_tests(zarn_win32_tests TEST_PREFIX "win32.")
endif()

add_subdirectory(tools)
include(cmake/ZarnPackage.cmake)
add_subdirectory(tests/e2e)
add_subdirectory(tests/faults)
if(TARGET zarn_win32_tests)
  add_dependencies(zarn_win32_tests zarn_tools)
endif()
