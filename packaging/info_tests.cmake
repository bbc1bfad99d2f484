# Every command answers --version with the project version and --help with its
# usage, and the window program does both without a display.
string(REPLACE "." "\\." version_pattern "${PROJECT_VERSION}")
foreach(entry ${pedestal_commands})
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 target)
  list(GET entry 1 command)
  if(NOT TARGET ${target})
    continue()
  endif()
  add_test(NAME info_${command}_version
           COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> -DOPTION=--version
                   "-DMATCH=^${command} ${version_pattern}\n$"
                   -P ${CMAKE_CURRENT_SOURCE_DIR}/tests/check_info_option.cmake)
  add_test(NAME info_${command}_help
           COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> -DOPTION=--help
                   "-DMATCH=[Uu]sage: ([^ \n]*/)?${command} .*--version"
                   -P ${CMAKE_CURRENT_SOURCE_DIR}/tests/check_info_option.cmake)
  # With no display, building the Qt application would abort the program.
  set_tests_properties(info_${command}_version info_${command}_help PROPERTIES
                       ENVIRONMENT "DISPLAY=;WAYLAND_DISPLAY=;QT_QPA_PLATFORM=xcb")
endforeach()
