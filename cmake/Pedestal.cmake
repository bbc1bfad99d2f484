# Shared build settings: one warnings target that every project target links,
# and one-line helpers to declare a library and register a test.

add_library(pedestal_warnings INTERFACE)
target_compile_options(pedestal_warnings INTERFACE -Wall -Wextra -Wpedantic -Werror)

# pedestal_library(NAME folder SOURCES ... [DEPS ...])
# A static library for one subsystem folder, aliased as pedestal::NAME, whose
# headers are included as "folder/Header.h" from the project root (and the
# build's own, such as "PedestalVersion.h", from its generated/ folder).
function(pedestal_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  add_library(pedestal::${name} ALIAS ${name})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
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

# The one version number: the project's. The header written from it gives
# every program's --version and the Windows version resource (which wants four
# numbers); the packages take it from the project too.
set(pedestal_version_parts)
foreach(part MAJOR MINOR PATCH TWEAK)
  if(PROJECT_VERSION_${part} STREQUAL "")
    list(APPEND pedestal_version_parts 0)
  else()
    list(APPEND pedestal_version_parts ${PROJECT_VERSION_${part}})
  endif()
endforeach()
list(JOIN pedestal_version_parts "," PEDESTAL_VERSION_RC)
list(JOIN pedestal_version_parts ", " PEDESTAL_VERSION_RC_TEXT)
configure_file(${CMAKE_CURRENT_LIST_DIR}/PedestalVersion.h.in
               ${PROJECT_BINARY_DIR}/generated/PedestalVersion.h @ONLY)
add_library(pedestal_version INTERFACE)
target_include_directories(pedestal_version INTERFACE ${PROJECT_BINARY_DIR}/generated)

# pedestal_install_program(TARGET COMMAND)
# Installs a program as bin/COMMAND, the lower-case name a Debian user types.
# On Windows the ZIP's one folder is laid out by win32/ alone.
function(pedestal_install_program target command)
  include(GNUInstallDirs)
  if(WIN32)
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
