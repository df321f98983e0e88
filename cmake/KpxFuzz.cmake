# kpx_add_fuzzer(NAME name SOURCES files... LIBS targets... [SEEDS dir...])
# With KPX_BUILD_FUZZ (clang) the target is a libFuzzer binary. Otherwise, when tests are built,
# it is linked with a replay main and ctest runs it over its seed folders and its kept corpus
# (fuzz/corpus/NAME, what earlier fuzzing runs found), so every build checks that they still pass.
function(kpx_add_fuzzer)
  cmake_parse_arguments(F "" "NAME" "SOURCES;LIBS;SEEDS" ${ARGN})
  if(KPX_BUILD_FUZZ)
    add_executable(${F_NAME} ${F_SOURCES})
    target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
    target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  elseif(KPX_BUILD_TESTS)
    add_executable(${F_NAME} ${F_SOURCES} ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cc)
    add_test(NAME ${F_NAME}_replay
      COMMAND ${F_NAME} ${F_SEEDS} ${PROJECT_SOURCE_DIR}/fuzz/corpus/${F_NAME})
    set_tests_properties(${F_NAME}_replay PROPERTIES LABELS fuzz-replay)
  else()
    return()
  endif()
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  kpx_internal_includes(${F_NAME})
  set_target_properties(${F_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/fuzz)
  # The seed folders, for fuzz/run_all.sh.
  string(REPLACE ";" "\n" _seeds "${F_SEEDS}")
  file(WRITE ${PROJECT_BINARY_DIR}/fuzz/${F_NAME}.seeds "${_seeds}\n")
  set_property(GLOBAL APPEND PROPERTY KPX_FUZZERS ${F_NAME})
endfunction()
