# Sources of image/ (paths relative to the project root).
list(APPEND AZM_CORE_SOURCES image/packed_image.cpp image/skin_pixels.cpp)
list(APPEND AZM_WIN_SOURCES image/skin_image.cpp)
