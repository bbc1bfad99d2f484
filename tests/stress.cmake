# Fifty processes attaching to and detaching from one block for twenty rounds,
# some killed on the way. Label "stress": `ctest -L stress` runs it alone.
pedestal_test(stress_shm SOURCES ${CMAKE_CURRENT_LIST_DIR}/stress_shm.cpp
  LIBS pedestal::shm LABELS stress)
set_tests_properties(stress_shm PROPERTIES TIMEOUT 120)
