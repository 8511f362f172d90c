# 64-bit Windows on x86-64, run under Wine's 64-bit loader.
set(MINGW_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)
set(MINGW_WINE_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingwCommon.cmake)
