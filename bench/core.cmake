# The pedestal core's tick, with no window.
pedestal_benchmark(Core_bench SOURCES Core_bench.cpp LIBS pedestal::panel)
