# Cross build for 64-bit Windows with MinGW-w64: the same sources, tested
# under 64-bit Wine on machines that cannot start 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(AZM_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
