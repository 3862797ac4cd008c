# tavrune_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [LABELS l] [HOST_ONLY|WINDOWS_ONLY] [NETNS] [SERIAL])
# One ctest entry per test program: Wine starts once per program, not once per case.
# NETNS: the program runs in a loopback-only network namespace of its own
# (tools/netns-run.sh), for programs that bind the fixed LAN ports or send discovery
# datagrams; it is skipped (exit 77) where no namespace can be made, unless CI is set.
# SERIAL: the program runs alone, for window tests that follow the keyboard focus.
# SHARDS n: a long program runs as n ctest entries (name_0 ...), each a share of its cases
# (GoogleTest's sharding), so that on a busy machine none comes near its time-out.
function(tavrune_add_test name)
  cmake_parse_arguments(T "HOST_ONLY;WINDOWS_ONLY;NO_MAIN;NETNS;SERIAL" "TIMEOUT;SHARDS" "SOURCES;LIBS;LABELS" ${ARGN})
  if(T_HOST_ONLY AND TAVRUNE_WINDOWS)
    return()
  endif()
  if(T_WINDOWS_ONLY AND NOT TAVRUNE_WINDOWS)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS})
  if(T_NO_MAIN)
    target_link_libraries(${name} PRIVATE GTest::gtest)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    TAVRUNE_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    TAVRUNE_BINARY_DIR="${CMAKE_BINARY_DIR}")
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  if(NOT T_SHARDS)
    set(T_SHARDS 1)
  endif()
  math(EXPR last "${T_SHARDS} - 1")
  foreach(shard RANGE ${last})
    set(entry ${name})
    if(T_SHARDS GREATER 1)
      set(entry ${name}_${shard})
    endif()
    if(T_NETNS)
      add_test(NAME ${entry} COMMAND ${CMAKE_SOURCE_DIR}/tools/netns-run.sh $<TARGET_FILE:${name}>)
      set_tests_properties(${entry} PROPERTIES SKIP_RETURN_CODE 77)
    elseif(TAVRUNE_WINDOWS)
      add_test(NAME ${entry} COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-run.sh $<TARGET_FILE:${name}>)
    else()
      add_test(NAME ${entry} COMMAND ${name})
    endif()
    set_tests_properties(${entry} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${T_LABELS}")
    if(T_SHARDS GREATER 1)
      set_tests_properties(${entry} PROPERTIES
        ENVIRONMENT "GTEST_TOTAL_SHARDS=${T_SHARDS};GTEST_SHARD_INDEX=${shard}")
    endif()
    # Programs that drive the real program by focus, SendInput and the screen must not
    # share the display with other tests' windows: the focus belongs to the active window,
    # which any other test program's window can take.
    if(name MATCHES "^e2e_" OR T_SERIAL)
      set_tests_properties(${entry} PROPERTIES RUN_SERIAL TRUE)
    endif()
  endforeach()
endfunction()
