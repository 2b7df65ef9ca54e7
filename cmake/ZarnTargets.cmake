# Helpers that keep the target lists in one place: sources are found by
# convention (foo.cpp beside foo_test.cpp), so adding a unit needs no edit.

if(MINGW)
  # -static: the posix runtime would otherwise need libwinpthread-1.dll.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

if(ZARN_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# All non-test .cpp files directly inside the given folders.
function(zarn_glob_sources out)
  set(result)
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    list(FILTER found EXCLUDE REGEX "_test\\.cpp$")
    list(APPEND result ${found})
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# All *_test.cpp files directly inside the given folders.
function(zarn_glob_tests out)
  set(result)
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*_test.cpp)
    list(APPEND result ${found})
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# Test code compiles for a quick build. Optimising GoogleTest's macros
# costs more than the tests ever run, so optimised builds take -Og for it
# (with the precompiled header, GCC 12's -O1 and above see out-of-bounds
# copies in std::string that are not there); what the tests exercise, the
# libraries and programs, keeps the build type's flags. With PRECOMPILE,
# for programs of many files, GoogleTest's header is precompiled once: it
# is most of each file's compile. Such programs also compile eight test
# files at a time as one (a unity build): loading the precompiled header
# and <windows.h> once for eight files takes a quarter of the time. So
# names at file scope in one test file must not clash with another's.
option(ZARN_PRECOMPILE_HEADERS "Precompile GoogleTest for the test programs" ON)
option(ZARN_UNITY_TESTS "Compile test programs eight files at a time" ON)
function(zarn_compile_as_test target)
  cmake_parse_arguments(arg PRECOMPILE "" "" ${ARGN})
  if(NOT MSVC AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:-Og>)
  endif()
  if(arg_PRECOMPILE AND ZARN_PRECOMPILE_HEADERS)
    target_precompile_headers(${target} PRIVATE <gtest/gtest.h>)
  endif()
  if(arg_PRECOMPILE AND ZARN_UNITY_TESTS)
    # At the end of the folder, once every file's properties are set; a
    # deferred call reads its arguments then, so the name goes in now.
    cmake_language(EVAL CODE
      "cmake_language(DEFER CALL zarn_unity_build [[${target}]] 8)")
  endif()
endfunction()

# Compiles the target's .cpp files `size` at a time, each batch as one
# file that includes them. CMake's own unity build names them by absolute
# path, so a second clone never finds them in the compiler cache; these
# files name them from the source folder. A file with definitions of its
# own is compiled alone.
function(zarn_unity_build target size)
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  set(batch "")
  set(batched "")
  set(unity_files "")
  set(index 0)
  foreach(source IN LISTS sources)
    get_source_file_property(own ${source} COMPILE_DEFINITIONS)
    if(NOT source MATCHES "\\.cpp$" OR own)
      continue()
    endif()
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${source_dir})
    file(RELATIVE_PATH relative ${CMAKE_SOURCE_DIR} ${source})
    string(APPEND batch "#include \"${relative}\"\n")
    list(APPEND batched ${source})
    math(EXPR index "${index} + 1")
    math(EXPR full "${index} % ${size}")
    if(full EQUAL 0)
      zarn_write_unity_file(${target} ${index} "${batch}" unity_files)
      set(batch "")
    endif()
  endforeach()
  if(batch)
    zarn_write_unity_file(${target} ${index} "${batch}" unity_files)
  endif()
  set_source_files_properties(${batched} TARGET_DIRECTORY ${target}
                              PROPERTIES HEADER_FILE_ONLY ON)
  target_sources(${target} PRIVATE ${unity_files})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
endfunction()

function(zarn_write_unity_file target index content out)
  set(file ${CMAKE_CURRENT_BINARY_DIR}/${target}_unity/unity_${index}.cpp)
  # CONFIGURE writes only what changed: no rebuild after a re-configure.
  file(CONFIGURE OUTPUT ${file} CONTENT "${content}")
  set(${out} ${${out}} ${file} PARENT_SCOPE)
endfunction()

function(zarn_set_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /utf-8)
    if(ZARN_WARNINGS_AS_ERRORS)
      target_compile_options(${target} PRIVATE /WX)
    endif()
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
                           -Wshadow -Wnon-virtual-dtor)
    if(ZARN_WARNINGS_AS_ERRORS)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()

# Registers each test of a GoogleTest program with CTest. Windows programs
# run under the emulator with German regional settings, which the tests of
# dates and captions are written for. The emulator (scripts/wine-run
# --slots) gives each running test a Wine prefix and a display of its own,
# so that CTest's jobs run them side by side.
function(zarn_discover_tests target)
  if(WIN32)
    gtest_discover_tests(${target}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 120
      PROPERTIES
        # scripts/wine-run sets LANG and LC_ALL from it; one variable,
        # because gtest_discover_tests cannot pass a list as one value.
        ENVIRONMENT ZARN_WINE_LANG=de_DE.UTF-8
        TIMEOUT 180
      ${ARGN})
  else()
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST
      PROPERTIES TIMEOUT 120 ${ARGN})
  endif()
endfunction()

# For programs whose .rc carries the manifest as resource 1: MSVC's linker
# would make a manifest of its own, and the two collide as a duplicate
# resource. MinGW's linker makes none.
function(zarn_use_own_manifest target)
  if(MSVC)
    target_link_options(${target} PRIVATE /MANIFEST:NO)
  endif()
endfunction()

# How ZARNDaemon.exe is linked, and with it floor_form.exe, the floor it is
# measured against: its own manifest, and under MinGW the wide entry point,
# sections on page boundaries and no debug sections. At GNU ld's 512-byte
# default alignment Wine cannot map the image and reads the whole file into
# private memory of every process; page-aligned, a loader pages in only
# what runs. The debug sections that the static runtime brings are dropped
# for the same reason.
function(zarn_link_like_daemon target)
  zarn_use_own_manifest(${target})
  if(MINGW)
    target_link_options(${target} PRIVATE -municode
                        -Wl,--file-alignment,0x1000 -s)
  endif()
endfunction()
