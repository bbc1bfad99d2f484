pedestal_benchmark(Shm_bench SOURCES Shm_bench.cpp LIBS pedestal::shm)
