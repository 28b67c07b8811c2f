# Latency of "Play Wav /Mp3": from the press to the first sound at the sound
# server's null sink, read back from its monitor with parec.
# Run: cmake --build B --target bench_playback
add_executable(playback_latency playback_latency.cpp)
target_link_libraries(playback_latency PRIVATE commands controls event_loop_ticker test_fixtures test_qt_fixtures Qt6::Widgets)
vantrel_target_defaults(playback_latency)
add_dependencies(playback_latency mpegdll)
add_custom_target(bench_playback
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/playback_latency.sh $<TARGET_FILE:playback_latency> $<TARGET_FILE_DIR:mpegdll> 15
  DEPENDS playback_latency USES_TERMINAL)
