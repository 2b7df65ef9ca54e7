# Builds the release package as an administrator's build would
# (`cmake --build --preset windows --target package`) and unpacks it into
# UNPACK_DIR, emptied first, so that the package tests run the daemon from
# what the ZIP holds and nothing else.
#   cmake -DBINARY_DIR=... -DCONFIG=... -DPACKAGE=<name> -DUNPACK_DIR=...
#         -P unpack_package.cmake
execute_process(
  COMMAND ${CMAKE_COMMAND} --build ${BINARY_DIR} --config ${CONFIG}
          --target package
  RESULT_VARIABLE built)
if(NOT built EQUAL 0)
  message(FATAL_ERROR "the package target failed: ${built}")
endif()
set(zip ${BINARY_DIR}/${PACKAGE}.zip)
if(NOT EXISTS ${zip})
  message(FATAL_ERROR "no ${zip} after the package target")
endif()
file(REMOVE_RECURSE ${UNPACK_DIR})
file(MAKE_DIRECTORY ${UNPACK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zip}
                WORKING_DIRECTORY ${UNPACK_DIR}
                RESULT_VARIABLE unpacked)
if(NOT unpacked EQUAL 0)
  message(FATAL_ERROR "${zip} could not be unpacked: ${unpacked}")
endif()
message(STATUS "unpacked ${zip} into ${UNPACK_DIR}")
