# Shared memory among real processes and with a client in another language.
add_executable(shm_attach_helper ${CMAKE_CURRENT_LIST_DIR}/shm_attach_helper.cpp)
target_link_libraries(shm_attach_helper PRIVATE pedestal::shm pedestal_warnings)

pedestal_test(shm_process_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/shm_process_test.cpp
  LIBS pedestal::shm LABELS shm)
target_compile_definitions(shm_process_test PRIVATE
  SHM_ATTACH_HELPER="$<TARGET_FILE:shm_attach_helper>")
add_dependencies(shm_process_test shm_attach_helper)

find_program(SHM_PYTHON3 python3)
if(SHM_PYTHON3)
  pedestal_test(shm_python_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/shm_python_test.cpp
    LIBS pedestal::shm LABELS shm)
  target_compile_definitions(shm_python_test PRIVATE
    SHM_PYTHON="${SHM_PYTHON3}"
    SHM_PYTHON_CLIENT="${CMAKE_CURRENT_LIST_DIR}/shm_python_client.py")
endif()
