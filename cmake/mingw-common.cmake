# What both Windows cross builds share; the toolchain file names the target
# triplet in AZM_MINGW_TRIPLET first.
set(CMAKE_SYSTEM_NAME Windows)
# The posix-thread runtime: its C++ library has std::mutex, which the test
# driver's GoogleTest needs; everything is linked statically.
set(CMAKE_C_COMPILER ${AZM_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${AZM_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${AZM_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${AZM_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
