# Windows build (cross-compiled with cmake/mingw-i686.cmake, or
# cmake/mingw-x86_64.cmake for the 64-bit program beside it): velmora.exe,
# one static program without runtime DLLs, and the tools the end-to-end
# tests run beside it under Wine.

# Everything on the Windows side calls the wide API; texts are converted
# explicitly (platform/win32/wide.h), never through the ANSI code page.
target_compile_definitions(velmora_core PUBLIC UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)
target_link_libraries(velmora_core PUBLIC comdlg32 shell32 shlwapi gdi32 user32 advapi32)

set(VELMORA_STATIC_LINK -static -static-libgcc -static-libstdc++)

# Release builds are made for size: the program waits almost all of its life,
# and what it does run (a launch, an editor of 100 rows) is far from any
# CPU limit.  Every function and datum in its own section lets the linker
# drop what nothing reaches, in our code and in the static runtime alike.
# (-Oz comes after the build type's -O3 on the command line, and wins.  It
# makes the program 512 bytes smaller than -Os; speed is not measurably
# different, since the time of a launch or of opening the editor is the
# system's.)
set(VELMORA_SIZE_CONFIGS $<CONFIG:Release,MinSizeRel>)
target_compile_options(velmora_core PUBLIC $<${VELMORA_SIZE_CONFIGS}:-Oz>
                       $<${VELMORA_SIZE_CONFIGS}:-ffunction-sections> $<${VELMORA_SIZE_CONFIGS}:-fdata-sections>)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # The 32-bit Windows ABI keeps the stack aligned to 4 bytes only:
  # -mpreferred-stack-boundary=2 stops GCC padding every frame to 16 (512
  # bytes); a function that needs more alignment realigns its own frame.
  # 32-bit MinGW unwinds with DWARF tables that only exceptions read.
  # Neither applies to x86_64: its ABI aligns the stack to 16, and it unwinds
  # through the SEH tables of every function (without asynchronous unwind
  # tables GCC falls back to SjLj exceptions, which the runtime lacks).
  target_compile_options(velmora_core PUBLIC $<${VELMORA_SIZE_CONFIGS}:-fno-asynchronous-unwind-tables>
                         $<${VELMORA_SIZE_CONFIGS}:-mpreferred-stack-boundary=2>)
endif()
# Link-time optimisation, because --gc-sections alone keeps nearly everything:
# the PE linker script keeps every .eh_frame section, and each one holds on to
# the functions it describes.  LTO drops unreached code before any unwind
# table is written (the program shrinks by about 60 KB on i686 and 50 KB on
# x86_64).  One partition and no semantic interposition: GCC 12 for MinGW
# (both architectures) stops with an internal error in its symbol table
# (binds_to_current_def_p) with the default partitioning.
set_property(TARGET velmora_core PROPERTY INTERPROCEDURAL_OPTIMIZATION_RELEASE ON)
set_property(TARGET velmora_core PROPERTY INTERPROCEDURAL_OPTIMIZATION_MINSIZEREL ON)
# The property gives the library its archiver (gcc-ar); the flags go to every
# program that links it, since a link that mixes LTO objects with ordinary
# ones of the same inline functions fails on PE (multiple definitions).
set(VELMORA_LTO_FLAGS $<${VELMORA_SIZE_CONFIGS}:-flto=auto> $<${VELMORA_SIZE_CONFIGS}:-flto-partition=one>
                      $<${VELMORA_SIZE_CONFIGS}:-fno-semantic-interposition>)
target_compile_options(velmora_core PUBLIC ${VELMORA_LTO_FLAGS})
target_link_options(velmora_core INTERFACE ${VELMORA_LTO_FLAGS})

# --- resources ---------------------------------------------------------------
# windres runs directly rather than as CMake's RC language: the project-wide
# compile options (input and execution character sets) are not windres flags.
set(VELMORA_GEN_DIR ${CMAKE_BINARY_DIR}/generated)
file(GLOB VELMORA_FORM_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/*.form)
file(GLOB VELMORA_ICON_FILE CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/velmora.ico)
set(VELMORA_FORMS_RC "// Generated from res/*.form by cmake/win32.cmake.\n")
foreach(form_file IN LISTS VELMORA_FORM_FILES)
  get_filename_component(form_stem ${form_file} NAME_WE)
  string(TOUPPER ${form_stem} form_id)
  string(APPEND VELMORA_FORMS_RC "${form_id} RCDATA \"${form_file}\"\n")
endforeach()
# Written only when it changes, so an unchanged list does not relink.
file(CONFIGURE OUTPUT ${VELMORA_GEN_DIR}/velmora_forms.rc CONTENT "${VELMORA_FORMS_RC}" @ONLY)

set(VELMORA_RC_DEFINES)
if(VELMORA_ICON_FILE)
  list(APPEND VELMORA_RC_DEFINES -DVELMORA_HAVE_ICON)
endif()
set(VELMORA_RES_OBJECT ${VELMORA_GEN_DIR}/velmora_res.o)
add_custom_command(
  OUTPUT ${VELMORA_RES_OBJECT}
  COMMAND ${CMAKE_RC_COMPILER} ${VELMORA_RC_DEFINES}
          -I${CMAKE_SOURCE_DIR}/res -I${CMAKE_SOURCE_DIR}/src -I${VELMORA_GEN_DIR}
          -O coff -i ${CMAKE_SOURCE_DIR}/res/velmora.rc -o ${VELMORA_RES_OBJECT}
  DEPENDS ${CMAKE_SOURCE_DIR}/res/velmora.rc ${CMAKE_SOURCE_DIR}/src/version.h ${CMAKE_SOURCE_DIR}/res/velmora.manifest
          ${VELMORA_GEN_DIR}/velmora_forms.rc ${VELMORA_FORM_FILES} ${VELMORA_ICON_FILE}
  COMMENT "Compiling resources of velmora.exe"
  VERBATIM)

# --- the program ---------------------------------------------------------------
set(VELMORA_APP_SOURCES ${CMAKE_SOURCE_DIR}/src/app/main.cpp ${CMAKE_SOURCE_DIR}/src/app/terminate_handler.cpp)
add_executable(velmora WIN32 ${VELMORA_APP_SOURCES} ${VELMORA_RES_OBJECT})
target_link_libraries(velmora PRIVATE velmora_core)
# Stripped in release builds; a debug build keeps its symbols for winedbg.
target_link_options(velmora PRIVATE ${VELMORA_STATIC_LINK} -municode -mwindows $<$<CONFIG:Release,MinSizeRel>:-s>
                    $<${VELMORA_SIZE_CONFIGS}:-Wl,--gc-sections>
                    # What the program is made of, archive member by member:
                    # the size check reads it (bench/size_check.py).
                    -Wl,-Map,${CMAKE_BINARY_DIR}/velmora.map)

# --- end-to-end test tools -------------------------------------------------------
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/tools.cmake)
  include(${CMAKE_SOURCE_DIR}/tests/e2e/tools.cmake)
endif()

# --- the help page beside the program ----------------------------------------------
# The help buttons open Velmora.html from the program's folder when there is
# no Velmora.Hlp there (Windows 10 and later cannot show WinHelp files).
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/Velmora.html
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/docs/Velmora.html ${CMAKE_BINARY_DIR}/Velmora.html
  DEPENDS ${CMAKE_SOURCE_DIR}/docs/Velmora.html
  VERBATIM)
add_custom_target(velmora_help ALL DEPENDS ${CMAKE_BINARY_DIR}/Velmora.html)

# The benchmark suite's programs on the Wine side (make bench).
include(${CMAKE_SOURCE_DIR}/bench/bench.cmake OPTIONAL)
