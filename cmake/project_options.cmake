# Warnings and sanitizers are INTERFACE targets linked PRIVATE to each target,
# never global flags, so that a third-party target is not affected.

set(TV_SANITIZER "none" CACHE STRING
  "Sanitizer build: none, address (ASan+UBSan), thread (TSan) or fuzz (clang: libFuzzer coverage + ASan+UBSan)")
set_property(CACHE TV_SANITIZER PROPERTY STRINGS none address thread fuzz)

# Errors in the developer and CI presets; a user's build with another compiler
# only reports a new warning.
option(TV_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)

add_library(tv_warnings INTERFACE)
target_compile_options(tv_warnings INTERFACE
  $<$<BOOL:${TV_WARNINGS_AS_ERRORS}>:-Werror>
  -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual
  -Wnull-dereference -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough
  # g++ 12 reports false overlaps and over-reads inside std::string and
  # std::vector once they are inlined at -O2/-O3, the more so with sanitizer
  # instrumentation (GCC bugs 105651, 106199). The sanitizer builds check
  # these memory accesses at run time instead.
  $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict
    -Wno-stringop-overread -Wno-stringop-overflow -Wno-array-bounds>)

add_library(tv_sanitizers INTERFACE)
if(TV_SANITIZER STREQUAL "address")
  target_compile_options(tv_sanitizers INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(tv_sanitizers INTERFACE -fsanitize=address,undefined)
elseif(TV_SANITIZER STREQUAL "thread")
  target_compile_options(tv_sanitizers INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(tv_sanitizers INTERFACE -fsanitize=thread)
elseif(TV_SANITIZER STREQUAL "fuzz")
  # Coverage for libFuzzer everywhere; only the fuzz targets link its driver.
  target_compile_options(tv_sanitizers INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(tv_sanitizers INTERFACE -fsanitize=address,undefined)
elseif(NOT TV_SANITIZER STREQUAL "none")
  message(FATAL_ERROR "TV_SANITIZER must be none, address, thread or fuzz")
endif()

add_library(tv_options INTERFACE)
target_link_libraries(tv_options INTERFACE tv_warnings tv_sanitizers)

# tv_library(NAME SOURCES ... [DEPS ...]): one static library per folder.
function(tv_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE tv_options)
endfunction()

# tv_test(NAME LABEL label SOURCES ... [DEPS ...]): one GoogleTest executable,
# registered with CTest test by test and labelled (unit, e2e, gui).
function(tv_test name)
  cmake_parse_arguments(ARG "" "LABEL;TIMEOUT" "SOURCES;DEPS" ${ARGN})
  if(NOT ARG_LABEL)
    set(ARG_LABEL unit)
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main
                                        Threads::Threads tv_options)
  # End-to-end tests mostly wait on the simulator's timed faults: a higher
  # cost makes ctest start them first, so the quick unit tests fill the gaps
  # instead of a long wait finishing the run alone.
  set(cost 1)
  if(ARG_LABEL STREQUAL "e2e")
    set(cost 10)
  endif()
  # The agent keeps the console's archive under $XDG_DATA_HOME: a test's
  # goes into the build tree, never into the home of whoever runs the tests.
  gtest_discover_tests(${name}
    PROPERTIES LABELS ${ARG_LABEL} TIMEOUT ${ARG_TIMEOUT} COST ${cost}
      ENVIRONMENT "XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-data/${name}"
    DISCOVERY_TIMEOUT 60)
endfunction()
