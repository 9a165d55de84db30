# End-to-end tests: the cross-built velmora.exe under Wine, driven from
# outside by tests/e2e/scenarios/test_*.py through driver.exe.  Included by
# cmake/native.cmake; needs VELMORA_WIN32_DIR (the cross build tree).
set(VELMORA_WIN32_DIR "" CACHE PATH "Cross build tree holding velmora.exe, driver.exe and recorder.exe")
if(NOT VELMORA_WIN32_DIR)
  message(STATUS "End-to-end tests not registered: VELMORA_WIN32_DIR is not set")
  return()
endif()
get_filename_component(VELMORA_WIN32_DIR "${VELMORA_WIN32_DIR}" ABSOLUTE)
get_filename_component(VELMORA_DEFAULT_PREFIX "${VELMORA_WIN32_DIR}/../wineprefix" ABSOLUTE)
set(VELMORA_WINEPREFIX "${VELMORA_DEFAULT_PREFIX}" CACHE PATH "Wine prefix of the end-to-end tests")

find_package(Python3 COMPONENTS Interpreter REQUIRED)

set(VELMORA_E2E_ENV
  VELMORA_SOURCE_DIR=${CMAKE_SOURCE_DIR}
  VELMORA_WIN32_DIR=${VELMORA_WIN32_DIR}
  VELMORA_WINEPREFIX=${VELMORA_WINEPREFIX}
  VELMORA_E2E_STATE=${CMAKE_BINARY_DIR}/e2e
  PYTHONDONTWRITEBYTECODE=1)

add_test(NAME e2e_environment_up COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e-env.sh up)
set_tests_properties(e2e_environment_up PROPERTIES
  FIXTURES_SETUP velmora_wine ENVIRONMENT "${VELMORA_E2E_ENV}" LABELS e2e TIMEOUT 300
  RESOURCE_LOCK velmora_wine)
add_test(NAME e2e_environment_down COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e-env.sh down)
set_tests_properties(e2e_environment_down PROPERTIES
  FIXTURES_CLEANUP velmora_wine ENVIRONMENT "${VELMORA_E2E_ENV}" LABELS e2e TIMEOUT 60
  RESOURCE_LOCK velmora_wine)

# Scenarios share the prefix, its hotkeys and the display: one at a time.
file(GLOB VELMORA_E2E_SCENARIOS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/scenarios/test_*.py)
foreach(scenario IN LISTS VELMORA_E2E_SCENARIOS)
  get_filename_component(scenario_name ${scenario} NAME_WE)
  string(REGEX REPLACE "^test_" "" scenario_name ${scenario_name})
  add_test(NAME e2e_${scenario_name} COMMAND ${Python3_EXECUTABLE} ${scenario})
  set_tests_properties(e2e_${scenario_name} PROPERTIES
    FIXTURES_REQUIRED velmora_wine ENVIRONMENT "${VELMORA_E2E_ENV}" LABELS e2e TIMEOUT 60
    RESOURCE_LOCK velmora_wine)
endforeach()

# The Windows-only code (text conversion, files) checked under Wine.
add_test(NAME e2e_win32_selftest
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e-env.sh run ${VELMORA_WIN32_DIR}/win32_selftest.exe)
set_tests_properties(e2e_win32_selftest PROPERTIES
  FIXTURES_REQUIRED velmora_wine ENVIRONMENT "${VELMORA_E2E_ENV}" LABELS e2e TIMEOUT 60
  RESOURCE_LOCK velmora_wine)

# No runtime DLL may travel with the program: it imports Windows' own only.
find_program(VELMORA_OBJDUMP NAMES i686-w64-mingw32-objdump)
add_test(NAME e2e_imports_only_system_dlls
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/e2e/check_imports.py
          ${VELMORA_OBJDUMP} ${VELMORA_WIN32_DIR}/velmora.exe)
set_tests_properties(e2e_imports_only_system_dlls PROPERTIES LABELS e2e TIMEOUT 60)

# The manifest (common controls 6, asInvoker, Windows 7 to 11, no DPI
# awareness) and the version resource, read from the program file.
add_test(NAME e2e_resources
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/e2e/check_resources.py ${VELMORA_WIN32_DIR}/velmora.exe)
set_tests_properties(e2e_resources PROPERTIES LABELS e2e TIMEOUT 60)
