# Whole-suite checks that build trees of their own, registered here so that
# `make test` is one ctest run: the unit suite under ASan/UBSan (g++) and the
# libFuzzer targets (clang).  Each builds beside the native tree (../asan,
# ../fuzz) and runs alone, since each uses both cores.
get_filename_component(VELMORA_SUITES_ROOT "${CMAKE_BINARY_DIR}/.." ABSOLUTE)

if(EXISTS ${CMAKE_SOURCE_DIR}/scripts/asan-tests.sh)
  add_test(NAME asan_unit_suite COMMAND ${CMAKE_SOURCE_DIR}/scripts/asan-tests.sh)
  set_tests_properties(asan_unit_suite PROPERTIES
    ENVIRONMENT "ASAN_BUILD_DIR=${VELMORA_SUITES_ROOT}/asan;JOBS=2"
    LABELS asan TIMEOUT 1800 RUN_SERIAL TRUE)
endif()

# clang-tidy over every file under src/ (scripts/tidy.sh): the portable files
# with this tree's compile database, the Windows-only ones with clang's MinGW
# target.  Two files at a time, so it takes both cores while it runs.
if(EXISTS ${CMAKE_SOURCE_DIR}/scripts/tidy.sh)
  add_test(NAME clang_tidy COMMAND ${CMAKE_SOURCE_DIR}/scripts/tidy.sh)
  set_tests_properties(clang_tidy PROPERTIES
    ENVIRONMENT "TIDY_NATIVE_DB=${CMAKE_BINARY_DIR};TIDY_BUILD_DIR=${VELMORA_SUITES_ROOT}/tidy;JOBS=2"
    LABELS lint TIMEOUT 900 PROCESSORS 2)
endif()

find_program(VELMORA_CLANGXX NAMES clang++ clang++-14)
if(EXISTS ${CMAKE_SOURCE_DIR}/scripts/fuzz.sh AND VELMORA_CLANGXX)
  set(VELMORA_FUZZ_SECONDS 60 CACHE STRING "Seconds each fuzz target runs in the test suite")
  add_test(NAME fuzz_targets COMMAND ${CMAKE_SOURCE_DIR}/scripts/fuzz.sh)
  set_tests_properties(fuzz_targets PROPERTIES
    ENVIRONMENT "FUZZ_BUILD_DIR=${VELMORA_SUITES_ROOT}/fuzz;FUZZ_SECONDS=${VELMORA_FUZZ_SECONDS};FUZZ_CXX=${VELMORA_CLANGXX};JOBS=2"
    LABELS fuzz TIMEOUT 1800 RUN_SERIAL TRUE)
endif()
