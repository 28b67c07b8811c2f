# "Convert Mp3 as Wav" against mpg123 -w on a 5-minute MP3, side by side in
# one run. Run: cmake --build B --target bench_mp3command
add_executable(mp3command_bench mp3command_bench.cpp)
target_link_libraries(mp3command_bench PRIVATE commands controls event_loop_ticker test_fixtures Qt6::Widgets)
vantrel_target_defaults(mp3command_bench)
add_dependencies(mp3command_bench mpegdll)
add_custom_target(bench_mp3command COMMAND mp3command_bench DEPENDS mp3command_bench USES_TERMINAL)
