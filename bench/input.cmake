# Levers to the block, in this process and over loopback, and the CPU a still
# device costs a ticking core (Linux: SDL's virtual joystick).
if(TARGET pedestal::input AND NOT WIN32)
  find_package(Boost 1.81 REQUIRED CONFIG COMPONENTS headers)
  find_package(nlohmann_json 3.10 REQUIRED CONFIG)
  pedestal_benchmark(Input_bench
    SOURCES Input_bench.cpp ${PROJECT_SOURCE_DIR}/tools/pedestal-input/Remote.cpp
    LIBS pedestal::input pedestal::web Boost::headers nlohmann_json::nlohmann_json)
endif()
