pedestal_benchmark(Formats_bench SOURCES Formats_bench.cpp LIBS pedestal::textfunctions)
