# Another program cuts the shared block under running pedestals.
if(TARGET pedestal-web AND TARGET Pedestal AND TARGET simblock_test_pedestal)
  find_package(Python3 COMPONENTS Interpreter REQUIRED)
  add_test(NAME block_cuts_test
           COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/block_cuts_test.py
                   $<TARGET_FILE:pedestal-web> $<TARGET_FILE:Pedestal>
                   $<TARGET_FILE:simblock_test_pedestal>)
  set_tests_properties(block_cuts_test PROPERTIES TIMEOUT 300 LABELS shm)
endif()
