# The shared block among real Windows processes under one system (or Wine):
# attaching helpers, simblock, and many at once.
add_executable(shm_attach_helper_win ${CMAKE_CURRENT_LIST_DIR}/shm_attach_helper_win.cpp)
target_link_libraries(shm_attach_helper_win PRIVATE pedestal::shm pedestal_warnings)

pedestal_test(shm_process_win_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/shm_process_win_test.cpp
  LIBS pedestal::shm LABELS shm)
add_dependencies(shm_process_win_test shm_attach_helper_win simblock)
set_tests_properties(shm_process_win_test PROPERTIES TIMEOUT 120)
