# Another program cuts the shared block under running pedestals.
if(TARGET pedestal-web AND TARGET Pedestal AND TARGET simblock_test_pedestal)
  add_test(NAME block_cuts_test COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/block_cuts_test.py
           $<TARGET_FILE:pedestal-web> $<TARGET_FILE:Pedestal> $<TARGET_FILE:simblock_test_pedestal>)
  set_tests_properties(block_cuts_test PROPERTIES TIMEOUT 300 LABELS shm)
endif()
