# What every card substitute shares (paths relative to the project root):
#   AZM_CARD_CORE_SOURCES  the set calls, the frontend plan, the signal scale, the reading pace and the
#                          network's own word on where the dish points, platform-neutral
#   AZM_CARD_WIN_SOURCES   the COM server and the card object's fixed parts, Win32
list(APPEND AZM_CARD_CORE_SOURCES cardbase/card_tuning.cpp cardbase/frontend_plan.cpp cardbase/signal_scale.cpp
  cardbase/reading_pace.cpp cardbase/catalogue_lines.cpp cardbase/psi_sections.cpp cardbase/psi_build.cpp
  cardbase/network_identity.cpp)
list(APPEND AZM_CARD_WIN_SOURCES cardbase/com_server.cpp cardbase/card_object.cpp)
