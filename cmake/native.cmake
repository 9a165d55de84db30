# Native build: unit tests, benchmarks and the registration of the
# end-to-end tests that run the cross-built program under Wine.
enable_testing()
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)

# What the unit tests, the benchmarks and the heap driver share and the
# program never holds: the recording fake of the OS services and the headless
# forms backend, which reads the stored forms from this source tree.
add_library(velmora_test_support STATIC tests/support/fake_os.cpp tests/support/headless.cpp)
target_include_directories(velmora_test_support PUBLIC tests)
target_link_libraries(velmora_test_support PUBLIC velmora_core)
target_compile_definitions(velmora_test_support PRIVATE VELMORA_RES_DIR="${CMAKE_SOURCE_DIR}/res")

file(GLOB VELMORA_UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*.cpp)
add_executable(velmora_unit_tests ${VELMORA_UNIT_TESTS})
target_link_libraries(velmora_unit_tests PRIVATE velmora_test_support GTest::gtest GTest::gtest_main Threads::Threads)
target_compile_definitions(velmora_unit_tests PRIVATE VELMORA_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data")
include(GoogleTest)
gtest_discover_tests(velmora_unit_tests DISCOVERY_TIMEOUT 60)

find_package(benchmark QUIET)
file(GLOB VELMORA_BENCH_SOURCES CONFIGURE_DEPENDS bench/*.cpp)
if(benchmark_FOUND AND VELMORA_BENCH_SOURCES)
  add_executable(velmora_bench ${VELMORA_BENCH_SOURCES})
  target_link_libraries(velmora_bench PRIVATE velmora_test_support benchmark::benchmark Threads::Threads)
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/e2e.cmake)
  include(tests/e2e/e2e.cmake)
endif()
include(cmake/suites.cmake OPTIONAL)
include(cmake/checks.cmake)
# The heap driver of the benchmarks and the size check of velmora.exe.
include(bench/bench.cmake OPTIONAL)
