target_sources(controls PRIVATE Gauges.cpp Gauges.h)
