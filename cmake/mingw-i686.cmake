# Cross build for 32-bit Windows with MinGW-w64: what ships.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(AZM_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
