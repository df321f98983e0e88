# kpx_add_test(NAME name SOURCES files... LIBS targets... [LABEL label] [LOCK resource])
# Builds one GoogleTest program and registers its cases with ctest, labelled by subsystem. LOCK:
# cases that share a file outside their own control run one at a time (ctest's RESOURCE_LOCK).
function(kpx_add_test)
  cmake_parse_arguments(T "" "NAME;LABEL;LOCK" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  kpx_internal_includes(${T_NAME})
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${T_NAME} PRIVATE
    KPX_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    KPX_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
  if(NOT T_LABEL)
    set(T_LABEL unit)
  endif()
  set(lock)
  if(T_LOCK)
    set(lock RESOURCE_LOCK ${T_LOCK})
  endif()
  gtest_discover_tests(${T_NAME} PROPERTIES LABELS ${T_LABEL} ${lock} DISCOVERY_TIMEOUT 60)
endfunction()
