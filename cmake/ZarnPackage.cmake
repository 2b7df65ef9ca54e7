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

# The package is flat, the repository is not: a link in the documents to
# ../packaging/<file> or ../README.md becomes one to <file> or README.txt,
# which lie beside them in the package. The e2e tests check that every
# relative link resolves in the unpacked folder. Rewritten at configure
# time; a changed document configures again.
set(zarn_package_docs)
foreach(doc deployment.md checker-contract.md)
  set(source ${CMAKE_SOURCE_DIR}/docs/${doc})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  file(READ ${source} text)
  string(REGEX REPLACE "\\]\\(\\.\\./packaging/([^)/]+)\\)" "](\\1)" text
         "${text}")
  string(REGEX REPLACE "\\]\\(\\.\\./README\\.md\\)" "](README.txt)" text
         "${text}")
  file(WRITE ${CMAKE_BINARY_DIR}/generated/${doc}.new "${text}")
  # Written only when it changed, so that nothing rebuilds for nothing.
  configure_file(${CMAKE_BINARY_DIR}/generated/${doc}.new
                 ${CMAKE_BINARY_DIR}/generated/${doc} COPYONLY)
  list(APPEND zarn_package_docs ${CMAKE_BINARY_DIR}/generated/${doc})
endforeach()

install(TARGETS ZARNDaemon SimExcel RUNTIME DESTINATION .)
install(FILES
          ${CMAKE_SOURCE_DIR}/packaging/ZARN.cfg
          ${CMAKE_SOURCE_DIR}/packaging/ZARN-Probe.cfg
          ${CMAKE_SOURCE_DIR}/packaging/Pruefung.zsim
          ${CMAKE_SOURCE_DIR}/packaging/Haenger.zsim
          ${CMAKE_BINARY_DIR}/generated/README.txt
          ${zarn_package_docs}
        DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ZARNDaemon)
set(CPACK_PACKAGE_VENDOR Quenholt)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME ${ZARN_PACKAGE_NAME})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
