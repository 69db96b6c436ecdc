# What every card substitute shares (paths relative to the project root):
#   AZM_CARD_CORE_SOURCES  the set calls, the frontend plan, the signal scale and the reading pace, platform-neutral
#   AZM_CARD_WIN_SOURCES   the COM server and the card object's fixed parts, Win32
list(APPEND AZM_CARD_CORE_SOURCES cardbase/card_tuning.cpp cardbase/frontend_plan.cpp cardbase/signal_scale.cpp
  cardbase/reading_pace.cpp)
list(APPEND AZM_CARD_WIN_SOURCES cardbase/com_server.cpp cardbase/card_object.cpp)
