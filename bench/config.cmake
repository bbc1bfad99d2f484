pedestal_benchmark(Config_bench SOURCES Config_bench.cpp LIBS pedestal::configcontrol)
