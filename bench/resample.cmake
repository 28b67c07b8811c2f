# --resample against sox's rate effect on a 5-minute 48000 Hz WAV, side by
# side in one run. Run: cmake --build B --target bench_resample
add_executable(resample_bench resample_bench.cpp)
target_link_libraries(resample_bench PRIVATE test_fixtures)
target_compile_definitions(resample_bench PRIVATE VANTREL_PROGRAM="$<TARGET_FILE:vantrel>")
vantrel_target_defaults(resample_bench)
add_dependencies(resample_bench vantrel)
add_custom_target(bench_resample COMMAND resample_bench DEPENDS resample_bench USES_TERMINAL)
