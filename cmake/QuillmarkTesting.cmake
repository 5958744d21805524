# quillmark_add_test(<name> SOURCES <files...> LIBS <targets...> [ENV <VAR=value...>] [TIMEOUT <s>])
# Registers one Qt Test executable with CTest: offscreen platform, TEST_DATA_DIR pointing at
# tests/data, and a private XDG config folder so that no test touches the user's settings.
function(quillmark_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;ENV;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data"
                                             TEST_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TEST_DATA_DIR=${CMAKE_SOURCE_DIR}/tests/data;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config/${name};${T_ENV}")
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
