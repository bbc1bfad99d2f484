pedestal_benchmark(TextFcns_bench SOURCES TextFcns_bench.cpp LIBS pedestal::textfunctions)
