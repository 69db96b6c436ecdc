# What every card substitute shares (paths relative to the project root):
#   AZM_CARD_CORE_SOURCES   the set calls, the frontend plan, the signal scale, the reading pace, the
#                           LNB's own error (lnb_error), the network's own word on where the dish
#                           points, where to point it (pointing/),
#                           the link margin (margin/), the bracketing guide (peak/) and a motorised dish's
#                           commands and settings (motor/), with the program's reading of numbers
#                           (app/number_text.cpp), platform-neutral (azimora-dvb links them too)
#                           (the section builder, cardbase/network/psi_build.cpp, is for simulators and
#                           tests and is in none of these lists)
#   AZM_PHONE_CORE_SOURCES  the phone page's server logic, platform-neutral; the page's files and
#                           Debian's qrcodegen join it in CMakeLists.txt
#   AZM_CARD_WIN_SOURCES    the COM server, the card object's fixed parts, the paced reading feed, the
#                           bounded end of the DLL's threads, the phone page's sockets and window, the
#                           record's files and the wall clock (app/wall_clock_win.cpp), Win32
#   AZM_RECORD_POSIX_SOURCES  the record's files on Linux (azimora-dvb and the native tests)
#   AZM_ARC_SOURCES         the arc check of a motorised dish (motor/arc_*), platform-neutral: for
#                           azimora-dvb and the native tests, in no card's DLL
#   AZM_SKY_SOURCES         the sky the simulators share (sky/): the catalogue's satellites, the link
#                           budget, an LNB's drift, platform-neutral; for simulators and tests, in no real card
# The record of measurements (record/) is platform-neutral over its files' few calls.
list(APPEND AZM_CARD_CORE_SOURCES cardbase/card_tuning.cpp cardbase/frontend_plan.cpp cardbase/signal_scale.cpp
  cardbase/signal_level.cpp cardbase/single_cable.cpp cardbase/single_cable_device.cpp cardbase/lnb_error.cpp
  cardbase/reading_pace.cpp cardbase/catalogue_lines.cpp cardbase/network/psi_sections.cpp
  cardbase/network/network_identity.cpp cardbase/network/network_watch.cpp cardbase/settings_line.cpp
  cardbase/pointing/look_angles.cpp cardbase/pointing/civil_time.cpp cardbase/pointing/magnetic_model.cpp
  cardbase/pointing/wmm2025_coefficients.cpp cardbase/pointing/sun_position.cpp cardbase/pointing/sun_hour.cpp
  cardbase/pointing/pointing_figures.cpp cardbase/pointing/pointing_text.cpp cardbase/pointing/pointing_input.cpp
  cardbase/margin/modcod.cpp cardbase/margin/link_margin.cpp cardbase/margin/margin_watch.cpp
  cardbase/sweep/sweep_plan.cpp cardbase/sweep/sweep_result.cpp cardbase/sweep/carrier_spectrum.cpp
  cardbase/sweep/sweep_refine.cpp cardbase/sweep/sweep_run.cpp
  cardbase/peak/peak_guide.cpp cardbase/peak/peak_words.cpp cardbase/peak/skew_chance.cpp
  cardbase/record/record_csv.cpp cardbase/record/record_entry.cpp cardbase/record/measurement.cpp
  cardbase/record/record_store.cpp cardbase/record/record_reading.cpp cardbase/motor/motor_commands.cpp
  cardbase/motor/motor_settings.cpp cardbase/motor/motor_plan.cpp cardbase/motor/polar_mount.cpp
  cardbase/motor/card_motor.cpp app/number_text.cpp)
list(APPEND AZM_PHONE_CORE_SOURCES cardbase/phone/phone_settings.cpp cardbase/phone/phone_http.cpp cardbase/phone/phone_feed.cpp
  cardbase/phone/phone_server_core.cpp cardbase/phone/phone_qr.cpp cardbase/phone/phone_point.cpp
  cardbase/phone/phone_margin.cpp cardbase/phone/phone_report.cpp cardbase/phone/phone_level.cpp
  cardbase/phone/phone_sweep.cpp cardbase/phone/phone_host.cpp cardbase/phone/phone_peak.cpp cardbase/phone/phone_motor.cpp)
list(APPEND AZM_CARD_WIN_SOURCES cardbase/com_server.cpp cardbase/card_object.cpp cardbase/reading_feed.cpp
  cardbase/phone/phone_service.cpp cardbase/phone/phone_sockets.cpp cardbase/phone/phone_window.cpp cardbase/thread_name.cpp
  cardbase/card_clock.cpp cardbase/sent_messages.cpp cardbase/module_thread.cpp cardbase/record/record_files_win.cpp
  app/wall_clock_win.cpp cardbase/record/card_record.cpp)
list(APPEND AZM_RECORD_POSIX_SOURCES cardbase/record/record_files_posix.cpp)
list(APPEND AZM_SKY_SOURCES cardbase/sky/sky.cpp cardbase/sky/link_budget.cpp cardbase/sky/motor_mount.cpp
  cardbase/sky/motor_sky.cpp cardbase/sky/lnb_drift.cpp)
list(APPEND AZM_ARC_SOURCES cardbase/motor/arc_check.cpp cardbase/motor/arc_scan.cpp cardbase/motor/arc_fit.cpp
  cardbase/motor/arc_words.cpp cardbase/motor/arc_reference.cpp)
