# 32-bit Windows on x86: the product.
set(MINGW_PROCESSOR i686)
set(MINGW_TRIPLE i686-w64-mingw32)
set(MINGW_WINE_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingwCommon.cmake)
