# End-to-end tests: the cross-built velmora.exe under Wine, driven from
# outside by tests/e2e/scenarios/test_*.py through driver.exe.  Included by
# cmake/native.cmake.  Every scenario is registered once for each
# architecture in VELMORA_E2E_ARCHS (x86: the 32-bit build in
# VELMORA_WIN32_DIR under 32-bit Wine; x64: the 64-bit build in
# VELMORA_WIN64_DIR under 64-bit Wine), as e2e_<arch>_<scenario>, each
# architecture with its own Wine prefix, display and fixtures.  The Makefile
# sets the list from what the host can run (scripts/archs.sh).
set(VELMORA_WIN32_DIR "" CACHE PATH "32-bit cross build tree (velmora.exe, driver.exe, recorder.exe)")
set(VELMORA_WIN64_DIR "" CACHE PATH "64-bit cross build tree")
set(VELMORA_E2E_ARCHS "" CACHE STRING "Architectures whose end-to-end tests run here: x86, x64 or both")
set(VELMORA_WINEPREFIX_ROOT "" CACHE PATH "Folder of the tests' Wine prefixes (wineprefix-<arch> inside)")

find_package(Python3 COMPONENTS Interpreter REQUIRED)
file(GLOB VELMORA_E2E_SCENARIOS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/scenarios/test_*.py)

# What a build tree is checked for without Wine: the program imports Windows'
# own DLLs only, and carries its manifest and version resource.
function(velmora_static_checks arch tree objdump)
  if(NOT tree)
    return()
  endif()
  find_program(VELMORA_OBJDUMP_${arch} NAMES ${objdump})
  add_test(NAME e2e_${arch}_imports_only_system_dlls
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/e2e/check_imports.py
            ${VELMORA_OBJDUMP_${arch}} ${tree}/velmora.exe)
  add_test(NAME e2e_${arch}_resources
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/e2e/check_resources.py ${tree}/velmora.exe)
  set_tests_properties(e2e_${arch}_imports_only_system_dlls e2e_${arch}_resources PROPERTIES
    LABELS e2e TIMEOUT 60)
endfunction()
velmora_static_checks(x86 "${VELMORA_WIN32_DIR}" i686-w64-mingw32-objdump)
velmora_static_checks(x64 "${VELMORA_WIN64_DIR}" x86_64-w64-mingw32-objdump)

if(NOT VELMORA_E2E_ARCHS)
  message(STATUS "End-to-end scenarios not registered: no architecture runs here (VELMORA_E2E_ARCHS is empty)")
  return()
endif()
if(NOT VELMORA_WINEPREFIX_ROOT)
  get_filename_component(VELMORA_WINEPREFIX_ROOT "${CMAKE_BINARY_DIR}/.." ABSOLUTE)
endif()

foreach(arch IN LISTS VELMORA_E2E_ARCHS)
  if(arch STREQUAL "x86")
    set(tree "${VELMORA_WIN32_DIR}")
  elseif(arch STREQUAL "x64")
    set(tree "${VELMORA_WIN64_DIR}")
  else()
    message(FATAL_ERROR "VELMORA_E2E_ARCHS: unknown architecture ${arch}")
  endif()
  if(NOT tree)
    message(FATAL_ERROR "VELMORA_E2E_ARCHS names ${arch}, but its build tree is not set")
  endif()
  set(env
    VELMORA_SOURCE_DIR=${CMAKE_SOURCE_DIR}
    VELMORA_ARCH=${arch}
    VELMORA_WIN_DIR=${tree}
    VELMORA_WINEPREFIX=${VELMORA_WINEPREFIX_ROOT}/wineprefix-${arch}
    VELMORA_E2E_STATE=${CMAKE_BINARY_DIR}/e2e-${arch}
    PYTHONDONTWRITEBYTECODE=1)
  # Scenarios of one architecture share its prefix, hotkeys and display, and
  # take turns; the two architectures' suites may run side by side.
  set(lock velmora_wine_${arch})
  set(fixture velmora_wine_${arch})

  add_test(NAME e2e_${arch}_environment_up COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e-env.sh up)
  set_tests_properties(e2e_${arch}_environment_up PROPERTIES
    FIXTURES_SETUP ${fixture} ENVIRONMENT "${env}" LABELS e2e TIMEOUT 300 RESOURCE_LOCK ${lock})
  add_test(NAME e2e_${arch}_environment_down COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e-env.sh down)
  set_tests_properties(e2e_${arch}_environment_down PROPERTIES
    FIXTURES_CLEANUP ${fixture} ENVIRONMENT "${env}" LABELS e2e TIMEOUT 60 RESOURCE_LOCK ${lock})

  set(names)
  foreach(scenario IN LISTS VELMORA_E2E_SCENARIOS)
    get_filename_component(name ${scenario} NAME_WE)
    string(REGEX REPLACE "^test_" "" name ${name})
    add_test(NAME e2e_${arch}_${name} COMMAND ${Python3_EXECUTABLE} ${scenario})
    list(APPEND names e2e_${arch}_${name})
  endforeach()
  # The Windows-only code (text conversion, files, forms) checked under Wine.
  add_test(NAME e2e_${arch}_win32_selftest
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/e2e-env.sh run ${tree}/win32_selftest.exe)
  list(APPEND names e2e_${arch}_win32_selftest)
  set_tests_properties(${names} PROPERTIES
    FIXTURES_REQUIRED ${fixture} ENVIRONMENT "${env}" LABELS e2e TIMEOUT 60 RESOURCE_LOCK ${lock})
endforeach()
