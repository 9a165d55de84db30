# Checks of the sources themselves (label lint), quick and run by every
# `make test`: the layout of .clang-format and the layers of
# docs/ARCHITECTURE.md.  Neither compiles nor runs the program.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

add_test(NAME format_check COMMAND ${CMAKE_SOURCE_DIR}/scripts/format.sh --check)
add_test(NAME layer_check COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/check_layers.py
         ${CMAKE_SOURCE_DIR}/src)
set_tests_properties(format_check layer_check PROPERTIES LABELS lint)
