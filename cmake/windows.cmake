# Windows build: the product exe, and the end-to-end driver that runs under Wine.
target_compile_definitions(vantrel_core PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)

file(GLOB RC_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/resources/*.rc)
if(RC_SOURCES)
  enable_language(RC)
endif()
# The manifest names the processor the exe is built for.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VANTREL_MANIFEST_ARCH amd64)
else()
  set(VANTREL_MANIFEST_ARCH x86)
endif()
configure_file(${CMAKE_SOURCE_DIR}/src/resources/vantrel.manifest.in
               ${VANTREL_GENERATED_DIR}/resources/vantrel.manifest @ONLY)
# The resource compiler finds the generated header and manifest there, and
# the pictures beside the .rc.
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${VANTREL_GENERATED_DIR}/resources -I${CMAKE_SOURCE_DIR}/src/resources")

# The entry point (wWinMain) lives in src/app/main_win.cpp. Everything else of
# the Windows side goes into an object library, so that the end-to-end driver
# can call the real gateway without dragging in a second entry point.
set(ENTRY_SOURCES ${WIN_SOURCES})
list(FILTER ENTRY_SOURCES INCLUDE REGEX "/main_win\\.cpp$")
set(WINLIB_SOURCES ${WIN_SOURCES})
list(FILTER WINLIB_SOURCES EXCLUDE REGEX "/main_win\\.cpp$")

# A build folder configured without a build type gets the one users receive.
if(NOT CMAKE_CONFIGURATION_TYPES AND NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE Release CACHE STRING "Build type" FORCE)
endif()

# Size of the release exe (measured by scripts/bench): most of it is the
# statically linked C++ runtime, so every function and datum goes into its
# own section and the linker keeps only what is reached; -Os costs nothing
# measurable at start-up, where the time goes to the platform, not to our code.
if(MINGW)
  set(VANTREL_SIZE_COMPILE $<$<CONFIG:Release,MinSizeRel>:-Os;-ffunction-sections;-fdata-sections>)
  set(VANTREL_SIZE_LINK $<$<CONFIG:Release,MinSizeRel>:-Wl,--gc-sections;-s>)
  target_compile_options(vantrel_core PRIVATE ${VANTREL_SIZE_COMPILE})
endif()

# Two builds of one commit give the same bytes, whatever the folder and the
# hour, so that anyone can check the released exe against the sources. GNU ld
# would stamp the link time into the PE header (and with it the header's
# checksum); without the stamp the field is 0, which the loader does not read.
# Paths the compiler records (__FILE__, debug information) are written relative
# to the source and the build folder. GCC tries the last mapping first, and the
# build folder usually lies inside the source folder, so it is named last.
# vantrel_core was made before this file, so it gets the mapping by name.
if(MINGW)
  set(VANTREL_PATH_MAP $<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.>
                       $<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}=.>)
  add_compile_options(${VANTREL_PATH_MAP})
  target_compile_options(vantrel_core PRIVATE ${VANTREL_PATH_MAP})
  add_link_options(-Wl,--no-insert-timestamp)
endif()

set(VANTREL_SYSTEM_LIBS ole32 oleaut32 uuid comctl32 shell32 advapi32 gdi32 user32 kernel32)
set(VANTREL_STATIC_LINK -static -static-libgcc -static-libstdc++)

add_library(vantrel_win INTERFACE)
if(WINLIB_SOURCES)
  add_library(vantrel_win_objects OBJECT ${WINLIB_SOURCES})
  target_link_libraries(vantrel_win_objects PUBLIC vantrel_core)
  target_compile_options(vantrel_win_objects PRIVATE ${VANTREL_SIZE_COMPILE})
  target_link_libraries(vantrel_win INTERFACE vantrel_win_objects $<TARGET_OBJECTS:vantrel_win_objects>)
endif()
target_link_libraries(vantrel_win INTERFACE vantrel_core ${VANTREL_SYSTEM_LIBS})

add_executable(VantrelV1_0 WIN32 ${ENTRY_SOURCES} ${RC_SOURCES})
target_link_libraries(VantrelV1_0 PRIVATE vantrel_win)
if(MINGW)
  target_compile_options(VantrelV1_0 PRIVATE ${VANTREL_SIZE_COMPILE})
  target_link_options(VantrelV1_0 PRIVATE -municode ${VANTREL_STATIC_LINK} ${VANTREL_SIZE_LINK})
  # A user's machine has only the system's DLLs: fail the build when the exe
  # would need anything else (a mingw runtime DLL, say).
  # The 64-bit build only serves the tests on machines that cannot run 32-bit code.
  find_program(VANTREL_OBJDUMP NAMES ${CMAKE_OBJDUMP} i686-w64-mingw32-objdump objdump)
  if(VANTREL_OBJDUMP AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    add_custom_command(TARGET VantrelV1_0 POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E env OBJDUMP=${VANTREL_OBJDUMP} QUIET=1
              bash ${CMAKE_SOURCE_DIR}/scripts/check-imports $<TARGET_FILE:VantrelV1_0>
      VERBATIM)
  endif()
endif()

# ---- help page -----------------------------------------------------------------
# ヘルプ opens VantrelV1_0.html from the exe's folder, so the page is rendered
# beside the exe from its one source, the guide, whenever the guide or the
# page's template changes. cmark-gfm is rarely found on a Windows machine: a
# build without it makes the exe alone.
find_program(VANTREL_CMARK NAMES cmark-gfm)
if(VANTREL_CMARK)
  set(VANTREL_HELP_PAGE ${CMAKE_BINARY_DIR}/VantrelV1_0.html)
  add_custom_command(OUTPUT ${VANTREL_HELP_PAGE}
    COMMAND ${CMAKE_COMMAND} -DCMARK=${VANTREL_CMARK} -DGUIDE=${CMAKE_SOURCE_DIR}/docs/guide-ja.md
            -DTEMPLATE=${CMAKE_SOURCE_DIR}/docs/help-template.html -DOUTPUT=${VANTREL_HELP_PAGE}
            -P ${CMAKE_SOURCE_DIR}/cmake/render-help.cmake
    DEPENDS ${CMAKE_SOURCE_DIR}/docs/guide-ja.md ${CMAKE_SOURCE_DIR}/docs/help-template.html
            ${CMAKE_SOURCE_DIR}/cmake/render-help.cmake
    COMMENT "Rendering the help page VantrelV1_0.html"
    VERBATIM)
  add_custom_target(VantrelV1_0_help ALL DEPENDS ${VANTREL_HELP_PAGE})
else()
  message(STATUS "cmark-gfm not found: the help page VantrelV1_0.html is not rendered")
endif()

# ---- end-to-end driver ---------------------------------------------------------
# GoogleTest is built from source with the same compiler as the driver (the
# -posix mingw compiler: GoogleTest needs std::mutex).
option(VANTREL_E2E "Build the end-to-end driver vantrel_e2e.exe" ON)
set(VANTREL_GTEST_SOURCE_DIR /usr/src/googletest/googletest CACHE PATH "GoogleTest sources for the cross build")
file(GLOB E2E_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
if(VANTREL_E2E AND E2E_SOURCES)
  if(EXISTS ${VANTREL_GTEST_SOURCE_DIR}/CMakeLists.txt)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory(${VANTREL_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    set(VANTREL_GTEST gtest)
  else()
    find_package(GTest)
    if(GTest_FOUND)
      set(VANTREL_GTEST GTest::gtest)
    endif()
  endif()
endif()
if(VANTREL_E2E AND E2E_SOURCES AND NOT VANTREL_GTEST)
  message(STATUS "GoogleTest not found: the end-to-end driver is not built")
elseif(VANTREL_E2E AND E2E_SOURCES)
  add_executable(vantrel_e2e ${E2E_SOURCES} ${CMAKE_SOURCE_DIR}/scripts/desktop_win.cpp)
  target_include_directories(vantrel_e2e PRIVATE ${CMAKE_SOURCE_DIR}/tests/e2e ${CMAKE_SOURCE_DIR}/scripts)
  target_link_libraries(vantrel_e2e PRIVATE vantrel_win ${VANTREL_GTEST} version)
  if(MINGW)
    # wmain: the helper modes take window titles on the command line.
    target_link_options(vantrel_e2e PRIVATE -municode ${VANTREL_STATIC_LINK})
  endif()
  # The driver finds the program beside itself, and the probe it hooks into it.
  add_library(vantrel_probe SHARED ${CMAKE_SOURCE_DIR}/tests/e2e/probe/probe_win.cpp)
  set_target_properties(vantrel_probe PROPERTIES PREFIX "")
  target_link_libraries(vantrel_probe PRIVATE user32)
  if(MINGW)
    # Plain export names, and nothing beyond the system's DLLs in the program.
    target_link_options(vantrel_probe PRIVATE -static -Wl,--kill-at)
  endif()
  add_dependencies(vantrel_e2e VantrelV1_0 vantrel_probe)

endif()

# scripts/screens and scripts/run drive the program with the same desktop
# helper as the end-to-end tests, without the tests.
add_executable(vantrel_screens ${CMAKE_SOURCE_DIR}/scripts/screens_win.cpp ${CMAKE_SOURCE_DIR}/scripts/desktop_win.cpp)
target_include_directories(vantrel_screens PRIVATE ${CMAKE_SOURCE_DIR}/scripts)
target_link_libraries(vantrel_screens PRIVATE vantrel_core advapi32 gdi32 user32)
if(MINGW)
  target_link_options(vantrel_screens PRIVATE -municode ${VANTREL_STATIC_LINK})
endif()

# ---- benchmark -----------------------------------------------------------------
# The floor program and the measuring driver of scripts/bench. Left out of the
# default build: only scripts/bench asks for them by name.
option(VANTREL_BENCH "Define the benchmark targets vantrel_floor and vantrel_bench" ON)
if(VANTREL_BENCH)
  add_executable(vantrel_floor WIN32 EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/floor_win.cpp
                 ${CMAKE_SOURCE_DIR}/bench/floor.rc)
  target_compile_definitions(vantrel_floor PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
  target_include_directories(vantrel_floor PRIVATE ${VANTREL_GENERATED_DIR}/resources)
  target_link_libraries(vantrel_floor PRIVATE ole32 oleaut32 uuid user32 gdi32 kernel32)
  add_executable(vantrel_bench EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/bench_win.cpp)
  target_compile_definitions(vantrel_bench PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)
  target_link_libraries(vantrel_bench PRIVATE psapi advapi32 user32 kernel32)
  if(MINGW)
    # The floor gets the product's flags: the comparison is of the work done.
    target_compile_options(vantrel_floor PRIVATE ${VANTREL_SIZE_COMPILE})
    target_link_options(vantrel_floor PRIVATE -municode ${VANTREL_STATIC_LINK} ${VANTREL_SIZE_LINK})
    target_link_options(vantrel_bench PRIVATE -municode ${VANTREL_STATIC_LINK})
  endif()
endif()
