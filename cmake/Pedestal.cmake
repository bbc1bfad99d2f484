# Shared build settings: one warnings target that every project target links,
# and one-line helpers to declare a library and register a test.

add_library(pedestal_warnings INTERFACE)
target_compile_options(pedestal_warnings INTERFACE -Wall -Wextra -Wpedantic -Werror)

# pedestal_library(NAME folder SOURCES ... [DEPS ...])
# A static library for one subsystem folder, aliased as pedestal::NAME, whose
# headers are included as "folder/Header.h" from the project root.
function(pedestal_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  add_library(pedestal::${name} ALIAS ${name})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE pedestal_warnings)
endfunction()

# pedestal_test(NAME SOURCES ... LIBS ... [LABELS ...])
# A GoogleTest program registered with ctest, one test file per module.
function(pedestal_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main pedestal_warnings)
  add_test(NAME ${name} COMMAND ${name})
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()

# The one version number: the project's, for every program's --version (the
# packages and the Windows version resource take it from the project too).
add_library(pedestal_version INTERFACE)
target_compile_definitions(pedestal_version INTERFACE PEDESTAL_VERSION="${PROJECT_VERSION}")

# pedestal_install_program(TARGET COMMAND)
# Installs a program as bin/COMMAND, the lower-case name a Debian user types;
# Windows keeps the target's own name (bin/TARGET.exe).
function(pedestal_install_program target command)
  include(GNUInstallDirs)
  if(WIN32)
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    return()
  endif()
  install(PROGRAMS $<TARGET_FILE:${target}> DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME ${command})
  # install(TARGETS) cannot rename, so the strip it would do (--strip, CPack)
  # is done here.
  install(CODE "if(CMAKE_INSTALL_DO_STRIP)
  execute_process(COMMAND \"${CMAKE_STRIP}\"
                  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${command}\")
endif()")
endfunction()
