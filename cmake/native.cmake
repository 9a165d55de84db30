# Native build: unit tests, benchmarks and the registration of the
# end-to-end tests that run the cross-built program under Wine.
enable_testing()
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)

file(GLOB VELMORA_TEST_SUPPORT CONFIGURE_DEPENDS tests/support/*.cpp)
file(GLOB VELMORA_UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*.cpp)
add_executable(velmora_unit_tests ${VELMORA_UNIT_TESTS} ${VELMORA_TEST_SUPPORT})
target_include_directories(velmora_unit_tests PRIVATE tests)
target_link_libraries(velmora_unit_tests PRIVATE velmora_core GTest::gtest GTest::gtest_main Threads::Threads)
target_compile_definitions(velmora_unit_tests PRIVATE VELMORA_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data")
include(GoogleTest)
gtest_discover_tests(velmora_unit_tests DISCOVERY_TIMEOUT 60)

find_package(benchmark QUIET)
file(GLOB VELMORA_BENCH_SOURCES CONFIGURE_DEPENDS bench/*.cpp)
if(benchmark_FOUND AND VELMORA_BENCH_SOURCES)
  add_executable(velmora_bench ${VELMORA_BENCH_SOURCES} ${VELMORA_TEST_SUPPORT})
  target_include_directories(velmora_bench PRIVATE tests)
  target_link_libraries(velmora_bench PRIVATE velmora_core benchmark::benchmark Threads::Threads)
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/e2e.cmake)
  include(tests/e2e/e2e.cmake)
endif()
include(cmake/suites.cmake OPTIONAL)
# The heap driver of the benchmarks and the size check of velmora.exe.
include(bench/bench.cmake OPTIONAL)
