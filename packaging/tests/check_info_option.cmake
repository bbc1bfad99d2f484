# cmake -DPROGRAM=... -DOPTION=--version -DMATCH=regex -P check_info_option.cmake
# The program must end with 0 and print what MATCH describes on its output:
# help2man writes the manual pages from exactly this.
execute_process(COMMAND ${PROGRAM} ${OPTION} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE err TIMEOUT 20)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} ${OPTION} ended with '${rc}': ${err}")
endif()
if(NOT out MATCHES "${MATCH}")
  message(FATAL_ERROR "${PROGRAM} ${OPTION} printed '${out}', which does not match '${MATCH}'")
endif()
