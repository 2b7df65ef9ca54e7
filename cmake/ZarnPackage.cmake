# The release package: `cmake --build --preset windows --target package`
# writes <build>/ZARNDaemon-<version>-win64.zip, one folder of that name
# holding the two programs, the sample configuration and the documents an
# administrator needs. CPack's ZIP comes with CMake itself (MinGW and MSVC
# alike); nothing outside CMake is needed to configure or to pack.
if(NOT TARGET ZARNDaemon OR NOT TARGET SimExcel)
  return()
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(ZARN_PACKAGE_NAME "ZARNDaemon-${PROJECT_VERSION}-win64")
else()
  set(ZARN_PACKAGE_NAME "ZARNDaemon-${PROJECT_VERSION}-win32")
endif()

configure_file(${CMAKE_SOURCE_DIR}/packaging/README.txt.in
               ${CMAKE_BINARY_DIR}/generated/README.txt @ONLY
               NEWLINE_STYLE CRLF)

install(TARGETS ZARNDaemon SimExcel RUNTIME DESTINATION .)
install(FILES
          ${CMAKE_SOURCE_DIR}/packaging/ZARN.cfg
          ${CMAKE_BINARY_DIR}/generated/README.txt
          ${CMAKE_SOURCE_DIR}/docs/deployment.md
          ${CMAKE_SOURCE_DIR}/docs/checker-contract.md
        DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ZARNDaemon)
set(CPACK_PACKAGE_VENDOR Quenholt)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME ${ZARN_PACKAGE_NAME})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
