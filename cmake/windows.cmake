# Windows build: the product exe, and the end-to-end driver that runs under Wine.
target_compile_definitions(vantrel_core PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX)

file(GLOB RC_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/resources/*.rc)
add_executable(VantrelV1_0 WIN32 ${WIN_SOURCES} ${RC_SOURCES})
target_link_libraries(VantrelV1_0 PRIVATE vantrel_core ole32 oleaut32 uuid comctl32 gdi32 user32 kernel32)
if(MINGW)
  target_link_options(VantrelV1_0 PRIVATE -municode -static -static-libgcc -static-libstdc++)
endif()
