# What every card substitute shares (paths relative to the project root):
#   AZM_CARD_CORE_SOURCES  the set calls, the frontend plan and the signal scale, platform-neutral
#   AZM_CARD_WIN_SOURCES   the COM server and the card object's fixed parts, Win32
list(APPEND AZM_CARD_CORE_SOURCES cardbase/card_tuning.cpp cardbase/frontend_plan.cpp cardbase/signal_scale.cpp)
list(APPEND AZM_CARD_WIN_SOURCES cardbase/com_server.cpp cardbase/card_object.cpp)
