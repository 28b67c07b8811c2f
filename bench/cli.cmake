# A sound pack through `vantrel --to-game` against a shell loop of tail, side
# by side in one run. Run: cmake --build B --target bench_cli
add_executable(cli_bench cli_bench.cpp)
target_link_libraries(cli_bench PRIVATE test_fixtures)
target_compile_definitions(cli_bench PRIVATE VANTREL_PROGRAM="$<TARGET_FILE:vantrel>")
vantrel_target_defaults(cli_bench)
add_dependencies(cli_bench vantrel)
add_custom_target(bench_cli COMMAND cli_bench DEPENDS cli_bench USES_TERMINAL)
