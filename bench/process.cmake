# The conversion as whole processes against dd and a plain halving loop,
# side by side in one run. Run: cmake --build B --target bench_process
add_executable(halving_loop halving_loop.cpp)
vantrel_target_defaults(halving_loop)
add_executable(conversion_process_bench conversion_process_bench.cpp)
target_link_libraries(conversion_process_bench PRIVATE test_fixtures)
target_compile_definitions(conversion_process_bench PRIVATE VANTREL_PROGRAM="$<TARGET_FILE:vantrel>"
                                                            HALVING_LOOP_PROGRAM="$<TARGET_FILE:halving_loop>")
vantrel_target_defaults(conversion_process_bench)
add_dependencies(conversion_process_bench vantrel halving_loop)
add_custom_target(bench_process COMMAND conversion_process_bench DEPENDS conversion_process_bench USES_TERMINAL)
