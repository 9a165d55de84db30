# Initial cache for the sanitizer build of the unit tests (AddressSanitizer
# with leak checking, and UndefinedBehaviorSanitizer turned fatal):
#   cmake -S . -B build/asan -C cmake/sanitize.cmake
# scripts/asan-tests.sh builds and runs the suite this way.
set(CMAKE_BUILD_TYPE Debug CACHE STRING "")
set(VELMORA_SANITIZE_FLAGS "-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer")
# -O1 keeps the instrumented suite quick while the reports keep their lines.
set(CMAKE_C_FLAGS "-O1 ${VELMORA_SANITIZE_FLAGS}" CACHE STRING "")
set(CMAKE_CXX_FLAGS "-O1 ${VELMORA_SANITIZE_FLAGS}" CACHE STRING "")
set(CMAKE_EXE_LINKER_FLAGS "-fsanitize=address,undefined" CACHE STRING "")
