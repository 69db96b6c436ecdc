# Sources of audio/ (paths relative to the project root).
list(APPEND AZM_WIN_SOURCES audio/audio_thread.cpp)
list(APPEND AZM_CORE_SOURCES audio/audio_pass.cpp)
