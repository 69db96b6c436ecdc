# Sources of ui/ (paths relative to the project root).
list(APPEND AZM_CORE_SOURCES ui/skin_layout.cpp ui/input_rules.cpp ui/default_entry.cpp)
list(APPEND AZM_WIN_SOURCES ui/skin_setup.cpp ui/painting.cpp ui/entry_editor.cpp ui/input.cpp ui/satellite_list_keys.cpp ui/hover_help.cpp ui/about_box.cpp)
