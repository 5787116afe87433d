# 64-bit Windows: the build the Wine runs take on a machine that cannot run
# 32-bit code (the shipped program stays 32-bit).
set(VANTREL_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
