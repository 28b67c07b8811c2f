# One paint of the main window's gauge and a million Progress assignments.
if(benchmark_FOUND)
  add_executable(gauge_bench gauge_bench.cpp)
  target_link_libraries(gauge_bench PRIVATE controls benchmark::benchmark)
  vantrel_target_defaults(gauge_bench)
endif()
