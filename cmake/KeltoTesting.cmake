# kelto_add_gtest(<name> LABEL <quick|media|soak|display>
#                 SOURCES <file>... [LIBS <target>...] [DEFINITIONS <def>...]
#                 [QT] [SERIAL] [PREFIX <prefix>] [TIMEOUT <seconds>])
#
# One GoogleTest program and its cases registered with CTest under LABEL, so
# that `ctest -L quick` is the inner loop and CI runs every label:
#   quick    no real media, no window shown: seconds for the whole label;
#   media    plays generated clips through the real service;
#   display  shows windows (offscreen unless the test starts its own server);
#   soak     long random runs.
# QT gives the program an offscreen QApplication (tests/support/qt); SERIAL
# runs its cases one at a time, with nothing else beside them. The program
# sees its own folder's headers and those of what it links. Cases are
# listed when ctest runs, so a sanitized build lists them at the same pace.
function(kelto_add_gtest name)
  cmake_parse_arguments(ARG "QT;SERIAL" "LABEL;PREFIX;TIMEOUT" "SOURCES;LIBS;DEFINITIONS" ${ARGN})
  if(NOT ARG_LABEL MATCHES "^(quick|media|soak|display)$")
    message(FATAL_ERROR "kelto_add_gtest(${name}): LABEL must be quick, media, soak or display")
  endif()
  add_executable(${name} ${ARG_SOURCES})
  kelto_public_headers(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  set(properties LABELS ${ARG_LABEL})
  if(ARG_QT)
    target_link_libraries(${name} PRIVATE kelto_qt_test_main GTest::gtest Qt6::Test)
    list(APPEND properties ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  if(ARG_DEFINITIONS)
    target_compile_definitions(${name} PRIVATE ${ARG_DEFINITIONS})
  endif()
  kelto_target_defaults(${name})
  if(ARG_SERIAL)
    list(APPEND properties RUN_SERIAL TRUE)
  endif()
  if(ARG_TIMEOUT)
    list(APPEND properties TIMEOUT ${ARG_TIMEOUT})
  endif()
  set(prefix)
  if(ARG_PREFIX)
    set(prefix TEST_PREFIX "${ARG_PREFIX}.")
  endif()
  gtest_discover_tests(${name} ${prefix}
    DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES ${properties})
endfunction()
