# The benchmark suite's programs (`make bench`; see docs/PERFORMANCE.md).
# Included by cmake/win32.cmake (the Wine-side programs) and by
# cmake/native.cmake (the heap driver and the size check, a CTest test).
# The Google Benchmark program velmora_bench (bench/*.cpp) is made by
# cmake/native.cmake itself.
if(WIN32)
  # The yardsticks (one window, icon and hotkey; the editor's windows made
  # with plain calls), the launch target that stamps its start, and the probe
  # that starts and times them under Wine.  Small and static, so they run in
  # a bare prefix.
  set(VELMORA_BENCH_TOOL_LINK -static -static-libgcc -static-libstdc++ -municode -s)
  # Compiles bench/win32/<stem>.rc (which may use the files of res/) into
  # the object named by out_var.
  function(velmora_bench_resources stem out_var)
    set(object ${CMAKE_BINARY_DIR}/generated/${stem}_res.o)
    add_custom_command(
      OUTPUT ${object}
      COMMAND ${CMAKE_RC_COMPILER} -I${CMAKE_SOURCE_DIR}/res -O coff -i ${CMAKE_SOURCE_DIR}/bench/win32/${stem}.rc
              -o ${object}
      DEPENDS ${CMAKE_SOURCE_DIR}/bench/win32/${stem}.rc ${CMAKE_SOURCE_DIR}/res/velmora.manifest
              ${CMAKE_SOURCE_DIR}/res/velmora.ico
      VERBATIM)
    set(${out_var} ${object} PARENT_SCOPE)
  endfunction()
  add_executable(bench_baseline WIN32 ${CMAKE_SOURCE_DIR}/bench/win32/baseline.cpp)
  velmora_bench_resources(baseline_cc6 VELMORA_BENCH_CC6_RES)
  add_executable(bench_baseline_cc6 WIN32 ${CMAKE_SOURCE_DIR}/bench/win32/baseline.cpp ${VELMORA_BENCH_CC6_RES})
  target_compile_definitions(bench_baseline_cc6 PRIVATE BASELINE_COMMON_CONTROLS)
  target_link_libraries(bench_baseline_cc6 PRIVATE comctl32)
  velmora_bench_resources(baseline_editor VELMORA_BENCH_EDITOR_RES)
  add_executable(bench_baseline_editor WIN32 ${CMAKE_SOURCE_DIR}/bench/win32/baseline_editor.cpp
                 ${VELMORA_BENCH_EDITOR_RES})
  target_link_libraries(bench_baseline_editor PRIVATE comctl32)
  add_executable(bench_stamp WIN32 ${CMAKE_SOURCE_DIR}/bench/win32/stamp.cpp)
  add_executable(bench_probe ${CMAKE_SOURCE_DIR}/bench/win32/probe.cpp)
  foreach(tool bench_baseline bench_baseline_cc6 bench_baseline_editor bench_stamp bench_probe)
    target_compile_definitions(${tool} PRIVATE UNICODE _UNICODE NOMINMAX)
    target_link_libraries(${tool} PRIVATE shell32 user32)
    target_link_options(${tool} PRIVATE ${VELMORA_BENCH_TOOL_LINK})
  endforeach()
  target_link_options(bench_baseline PRIVATE -mwindows)
  target_link_options(bench_baseline_cc6 PRIVATE -mwindows)
  target_link_options(bench_baseline_editor PRIVATE -mwindows)
  target_link_options(bench_stamp PRIVATE -mwindows)
  target_link_options(bench_probe PRIVATE -mconsole)
  return()
endif()

# The program's state with the editor open on 100 entries, for massif.
add_executable(velmora_heap_driver ${CMAKE_SOURCE_DIR}/bench/heap/heap_driver.cpp)
target_link_libraries(velmora_heap_driver PRIVATE velmora_test_support)

find_package(Python3 COMPONENTS Interpreter REQUIRED)
add_test(NAME size_check_selftest COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/bench/test_size_check.py)
set_tests_properties(size_check_selftest PROPERTIES LABELS size TIMEOUT 60)

# Each velmora.exe (32-bit and 64-bit) stays within 300 KB and free of
# iostreams, locale and printf machinery: a cheap check of the cross builds,
# part of every test run.
function(velmora_size_check arch tree)
  if(tree)
    add_test(NAME velmora_exe_size_${arch} COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/bench/size_check.py ${tree})
    set_tests_properties(velmora_exe_size_${arch} PROPERTIES LABELS size TIMEOUT 60 SKIP_RETURN_CODE 77)
  endif()
endfunction()
velmora_size_check(x86 "${VELMORA_WIN32_DIR}")
velmora_size_check(x64 "${VELMORA_WIN64_DIR}")
