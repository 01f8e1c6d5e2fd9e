# Helpers that keep each folder's CMakeLists.txt to a line or two.
#
# provixa_add_library(NAME [DEPS dep...]): a static library from the .cpp files of the
#   current folder and its subfolders, less those of a subfolder that has a CMakeLists.txt of
#   its own (an INTERFACE library when the folder holds headers only). Includes are
#   written from the repository root ("platform/mfc/CString.h").
# provixa_add_part(NAME [DEPS dep...]): the same, recorded as a part of libprovixa.so.
# provixa_add_tests(NAME [DEPS dep...] [LABELS label...] [LABEL_TESTS label regex ...]): a
#   GoogleTest program from the .cpp files of the current folder, registered with CTest.
#   LABELS puts labels on every test of the program (only for a program that is all one kind).
#   LABEL_TESTS puts each label on the tests whose full name ("Suite.Test", for TEST_P
#   "Prefix/Suite.Test/N") matches its regex, e.g.
#     LABEL_TESTS thread "Concurrent" fault "(^|/)HostileInput\\." fault "Malformed" slow "Soak"
#   A label may be given more than once; a test collects every label that matches. The labels
#   in use: "thread" (several threads at once), "fault" (an injected fault or hostile input),
#   "slow" (over about 2 s); so "ctest -L fault" or "ctest -LE slow".
#   Tests are discovered when ctest starts (PRE_TEST), so the labels are put by a file added to
#   the folder's TEST_INCLUDE_FILES after the discovered list: it walks <NAME>_TESTS.

# PROVIXA_PCH: the standard, Boost and (for tests) GoogleTest headers that nearly every file
#   includes are precompiled twice, once for the libraries and once for the test programs, and
#   every target reuses one of the two: a header precompiled per target cost a cold build more
#   than it saved. The two differ because a precompiled header holds only for files compiled
#   as it was (position-independent code for libraries, executables for tests, the fuzzers'
#   coverage and the optimisation of the libraries). Only the sanitizer preset (CI) uses it, so
#   the plain build still proves every file names its own includes.
# PROVIXA_FUZZ_COVERAGE: the libraries are compiled with the coverage the fuzzers follow
#   (-fsanitize=fuzzer-no-link); the test programs are not, which spares a fifth of their
#   compile time. The sanitizer preset sets it, as the fuzzers are built there.
# PROVIXA_OPTIMIZE_LIBRARIES: the libraries are compiled at -O1 in an otherwise unoptimised
#   build, as the sanitizers advise for speed: unoptimised, every iterator step and string
#   accessor of the library is a call with its own checks, and a test program spent 0.2 s
#   declaring the schema before its first test. The test programs stay at -O0, where the
#   optimiser would cost more compile time than it saves. The sanitizer preset sets it.
# CMAKE_UNITY_BUILD: the sanitizer preset compiles each target's sources in batches of 16, a
#   translation unit a batch: compiled one by one, every source instrumented and optimised the
#   same inline functions and templates again, and the build took nearly twice as long.
#   File-local names therefore differ from file to file within a target; the plain build, a
#   unit a source, proves each source stands alone, and scripts/check-layers reads each source
#   of a batch as if compiled alone.

option(PROVIXA_PCH "Precompile the common system headers once for the libraries, once for the tests" OFF)
option(PROVIXA_FUZZ_COVERAGE "Compile the libraries with the fuzzers' coverage" OFF)
option(PROVIXA_OPTIMIZE_LIBRARIES "Compile the libraries at -O1 in an otherwise unoptimised build" OFF)
set(PROVIXA_PCH_HEADERS <string> <vector> <memory> <map> <set> <algorithm> <mutex> <optional> <functional>
  <atomic> <thread> <chrono> <filesystem> <fstream> <sstream> <boost/variant.hpp>)
# What the libraries are compiled with beyond the build's own flags.
set(PROVIXA_LIBRARY_OPTIONS "")
if(PROVIXA_FUZZ_COVERAGE)
  list(APPEND PROVIXA_LIBRARY_OPTIONS -fsanitize=fuzzer-no-link)
endif()
if(PROVIXA_OPTIMIZE_LIBRARIES)
  list(APPEND PROVIXA_LIBRARY_OPTIONS -O1)
endif()
if(PROVIXA_PCH)
  # The holders of the two precompiled headers: a library compiled as every library is, and a
  # program compiled as every test program is.
  file(WRITE ${CMAKE_BINARY_DIR}/provixa_pch_holder.cpp "")
  add_library(provixa_pch_library OBJECT ${CMAKE_BINARY_DIR}/provixa_pch_holder.cpp)
  target_compile_options(provixa_pch_library PRIVATE ${PROVIXA_LIBRARY_OPTIONS})
  target_precompile_headers(provixa_pch_library PRIVATE ${PROVIXA_PCH_HEADERS})
  add_executable(provixa_pch_tests ${CMAKE_BINARY_DIR}/provixa_pch_holder.cpp)
  target_link_libraries(provixa_pch_tests PRIVATE GTest::gmock GTest::gtest_main Threads::Threads)
  target_precompile_headers(provixa_pch_tests PRIVATE ${PROVIXA_PCH_HEADERS} <gtest/gtest.h> <gmock/gmock.h>)
endif()

set(PROVIXA_PARTS "" CACHE INTERNAL "")
set(PROVIXA_PART_DEPS "" CACHE INTERNAL "")

function(provixa_add_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  # A subfolder with a CMakeLists.txt of its own is a library of its own.
  file(GLOB_RECURSE nested CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt)
  foreach(list IN LISTS nested)
    get_filename_component(dir ${list} DIRECTORY)
    list(FILTER sources EXCLUDE REGEX "^${dir}/")
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_compile_options(${name} PRIVATE ${PROVIXA_LIBRARY_OPTIONS})
    if(PROVIXA_PCH)
      target_precompile_headers(${name} REUSE_FROM provixa_pch_library)
    endif()
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

function(provixa_add_part name)
  provixa_add_library(${name} ${ARGN})
  get_target_property(kind ${name} TYPE)
  if(kind STREQUAL "STATIC_LIBRARY")
    set(PROVIXA_PARTS ${PROVIXA_PARTS} ${name} CACHE INTERNAL "")
  endif()
  # What a part needs from outside the subsystems (platform, in-house, system libraries) is
  # linked into libprovixa.so as well; the parts themselves enter it as object files.
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  foreach(dep IN LISTS ARG_DEPS)
    if(NOT dep MATCHES "^provixa_")
      set(PROVIXA_PART_DEPS ${PROVIXA_PART_DEPS} ${dep} CACHE INTERNAL "")
    endif()
  endforeach()
endfunction()

# libprovixa.so: the object files of every subsystem part, whole. Linking the object files
# (rather than the archives) keeps the load-time registrations that nothing else refers to, and
# lets parts depend on each other as ordinary static libraries for their own tests.
function(provixa_add_shared_library)
  file(WRITE ${CMAKE_BINARY_DIR}/provixa_empty.cpp "")
  set(objects "")
  foreach(part IN LISTS PROVIXA_PARTS)
    list(APPEND objects $<TARGET_OBJECTS:${part}>)
  endforeach()
  add_library(provixa SHARED ${CMAKE_BINARY_DIR}/provixa_empty.cpp ${objects})
  target_include_directories(provixa PUBLIC ${PROJECT_SOURCE_DIR})
  set(deps ${PROVIXA_PART_DEPS})
  if(deps)
    list(REMOVE_DUPLICATES deps)
  endif()
  target_link_libraries(provixa PUBLIC platform inhouse ${deps})
endfunction()

include(GoogleTest)
function(provixa_add_tests name)
  cmake_parse_arguments(ARG "" "" "DEPS;LABELS;LABEL_TESTS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  if(PROVIXA_PCH)
    target_precompile_headers(${name} REUSE_FROM provixa_pch_tests)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gmock GTest::gtest_main Threads::Threads)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "PROVIXA_SOURCE_DIR=${PROJECT_SOURCE_DIR}" LABELS "${ARG_LABELS}")
  if(ARG_LABEL_TESTS)
    provixa_label_tests(${name} "${ARG_LABELS}" ${ARG_LABEL_TESTS})
  endif()
endfunction()

# Writes the ctest-time file that labels the discovered tests of program NAME by regex (see
# provixa_add_tests); BASE are the labels every test of the program carries already.
function(provixa_label_tests name base)
  set(pairs ${ARGN})
  list(LENGTH pairs count)
  math(EXPR odd "${count} % 2")
  if(odd)
    message(FATAL_ERROR "${name}: LABEL_TESTS takes pairs of label and regex")
  endif()
  set(script "foreach(test IN LISTS ${name}_TESTS)\n  set(labels ${base})\n")
  while(pairs)
    list(POP_FRONT pairs label regex)
    string(APPEND script "  if(test MATCHES [==[${regex}]==])\n"
                         "    list(APPEND labels ${label})\n  endif()\n")
  endwhile()
  string(APPEND script "  if(labels)\n    list(REMOVE_DUPLICATES labels)\n"
                       "    set_tests_properties(\"\${test}\" PROPERTIES LABELS \"\${labels}\")\n"
                       "  endif()\nendforeach()\n")
  set(file ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
  file(WRITE ${file} "${script}")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${file})
endfunction()

# provixa_write_link_table(): writes provixa_links.txt in the build folder, a line a target of
# the tree (name, type, source folder, the libraries it links, from every target_link_libraries
# call on it) and a line "#parts" with the parts inside libprovixa.so, for scripts/check-layers.
# The top-level CMakeLists.txt defers it to the end of the configure step.
function(provixa_write_link_table)
  set(table "#parts\t${PROVIXA_PARTS}\n")
  set(folders ${CMAKE_SOURCE_DIR})
  while(folders)
    list(POP_FRONT folders folder)
    get_property(subfolders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
    list(APPEND folders ${subfolders})
    get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
      get_target_property(kind ${target} TYPE)
      set(links "")
      if(NOT kind STREQUAL "INTERFACE_LIBRARY")
        get_target_property(own ${target} LINK_LIBRARIES)
        if(own)
          list(APPEND links ${own})
        endif()
      endif()
      get_target_property(passed ${target} INTERFACE_LINK_LIBRARIES)
      if(passed)
        list(APPEND links ${passed})
      endif()
      string(APPEND table "${target}\t${kind}\t${folder}\t${links}\n")
    endforeach()
  endwhile()
  file(WRITE ${CMAKE_BINARY_DIR}/provixa_links.txt "${table}")
endfunction()
