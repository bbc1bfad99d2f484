# The browser server under load (bench/web-bench.sh runs it against a real
# pedestal-web): latency percentiles and CPU and memory per client, which a
# Google Benchmark loop does not measure. Linux: it reads /proc.
if(TARGET pedestal::web AND NOT WIN32)
  find_package(Boost 1.81 REQUIRED CONFIG COMPONENTS headers)
  add_executable(WebLoad WebLoad.cpp)
  target_link_libraries(WebLoad PRIVATE pedestal::shm pedestal::platform Boost::headers
                        Threads::Threads pedestal_warnings)
endif()
