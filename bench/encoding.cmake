# A 24-bit WAV decoded and halved by `vantrel --yes --to-game` against sox's
# own 16-bit 22050 Hz conversion, side by side in one run; and the program's
# peak memory for a 1- and a 5-minute file. Run: cmake --build B --target bench_encoding
add_executable(encoding_bench encoding_bench.cpp)
target_link_libraries(encoding_bench PRIVATE test_fixtures)
target_compile_definitions(encoding_bench PRIVATE VANTREL_PROGRAM="$<TARGET_FILE:vantrel>")
vantrel_target_defaults(encoding_bench)
add_dependencies(encoding_bench vantrel)
add_custom_target(bench_encoding COMMAND encoding_bench DEPENDS encoding_bench USES_TERMINAL)
