# The conversion against its peers on a 5-minute CD-quality WAV, side by side
# in one run: the header strip against dd and tail, the halving against cp, a
# naive 4-byte loop and sox. Run: cmake --build B --target bench_convert
add_executable(convert_bench convert_bench.cpp)
target_link_libraries(convert_bench PRIVATE convert controls test_fixtures Qt6::Widgets)
vantrel_target_defaults(convert_bench)
add_custom_target(bench_convert COMMAND convert_bench DEPENDS convert_bench USES_TERMINAL)
