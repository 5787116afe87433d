# 32-bit Windows: the program as users get it.
set(VANTREL_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
