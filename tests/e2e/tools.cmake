# Windows tools of the end-to-end tests, built with the program (included by
# cmake/win32.cmake).  Static, like the program, so they run in a bare prefix.
set(VELMORA_E2E_TOOL_LINK -static -static-libgcc -static-libstdc++ -municode -s)

add_executable(recorder WIN32 ${CMAKE_SOURCE_DIR}/tests/e2e/recorder/recorder.cpp)
target_compile_definitions(recorder PRIVATE UNICODE _UNICODE)
target_link_options(recorder PRIVATE ${VELMORA_E2E_TOOL_LINK} -mwindows)

# Commands live in tests/e2e/driver/cmd_*.cpp and register themselves.
file(GLOB VELMORA_DRIVER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/driver/*.cpp)
add_executable(driver ${VELMORA_DRIVER_SOURCES})
target_include_directories(driver PRIVATE ${CMAKE_SOURCE_DIR}/tests/e2e/driver ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(driver PRIVATE UNICODE _UNICODE NOMINMAX)
target_link_libraries(driver PRIVATE user32 gdi32 kernel32)
target_link_options(driver PRIVATE ${VELMORA_E2E_TOOL_LINK} -mconsole)

# Checks of the Windows-only code (text conversion, files) run under Wine.
file(GLOB VELMORA_SELFTEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/selftest/*.cpp)
if(VELMORA_SELFTEST_SOURCES)
  # The program's resources too: its icon and manifest, as the forms use them.
  add_executable(win32_selftest ${VELMORA_SELFTEST_SOURCES} ${VELMORA_RES_OBJECT})
  target_link_libraries(win32_selftest PRIVATE velmora_core)
  target_link_options(win32_selftest PRIVATE -static -static-libgcc -static-libstdc++ -s -mconsole)
endif()

# A stand-in for a system DLL that records being loaded (the DLL planting
# scenario copies it beside the program under the names of system DLLs).
add_library(planted_marker SHARED ${CMAKE_SOURCE_DIR}/tests/e2e/planted/marker.c)
set_target_properties(planted_marker PROPERTIES PREFIX "")
# The entry point is DllMain itself, stdcall-decorated on i686 only.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(VELMORA_DLL_ENTRY _DllMain@12)
else()
  set(VELMORA_DLL_ENTRY DllMain)
endif()
target_link_options(planted_marker PRIVATE -nostartfiles -Wl,--entry,${VELMORA_DLL_ENTRY} -s)
target_link_libraries(planted_marker PRIVATE kernel32)

# velmora.exe with the leak scenario's window into it: the live handle counts
# of the forms backend and the C++ heap in use (tests/e2e/counters).
if(TARGET velmora)
  add_executable(velmora_counters WIN32 ${VELMORA_APP_SOURCES} ${VELMORA_RES_OBJECT}
                 ${CMAKE_SOURCE_DIR}/tests/e2e/counters/counters.cpp)
  target_link_libraries(velmora_counters PRIVATE velmora_core)
  target_link_options(velmora_counters PRIVATE ${VELMORA_STATIC_LINK} -municode -mwindows)
endif()
