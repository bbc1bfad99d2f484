# The pedestal window's tick, and the empty dialog that is the floor for its
# running cost in scripts/bench-window.sh.
if(TARGET pedestal::dialog)
  find_package(Qt6 REQUIRED COMPONENTS Widgets)
  pedestal_benchmark(Dialog_bench SOURCES Dialog_bench.cpp LIBS pedestal::dialog Qt6::Widgets)
  add_executable(EmptyDialog EmptyDialog.cpp)
  target_link_libraries(EmptyDialog PRIVATE Qt6::Widgets pedestal_warnings)
endif()
