# The package tests take the packages scripts/package.sh left in dist/ and need
# root (a chroot, mounts, Wine's prefix), so they carry the `package` label and
# run from scripts/package.sh --test, not from scripts/test.sh.
set(PEDESTAL_DIST ${PROJECT_SOURCE_DIR}/dist CACHE PATH "Where scripts/package.sh leaves the packages")
set(deb ${PEDESTAL_DIST}/pedestal_${PROJECT_VERSION}_amd64.deb)

add_test(NAME package_deb_lintian
         COMMAND lintian --fail-on error --display-info ${deb})
add_test(NAME package_deb_install
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tests/deb_install_test.sh ${deb} ${PROJECT_VERSION}
                 ${CMAKE_CURRENT_BINARY_DIR}/deb-root)
set_tests_properties(package_deb_lintian package_deb_install PROPERTIES
                     LABELS package RUN_SERIAL ON SKIP_RETURN_CODE 77)
set_tests_properties(package_deb_install PROPERTIES TIMEOUT 900)

# The Windows installer exists where the Windows build does.
if(EXISTS ${PROJECT_SOURCE_DIR}/scripts/windows.sh)
  set(windows_programs Pedestal.exe simblock.exe)
  if(TARGET pedestal-web)
    list(APPEND windows_programs pedestal-web.exe)
  endif()
  if(TARGET pedestal-input)
    list(APPEND windows_programs pedestal-input.exe)
  endif()
  add_test(NAME package_windows_installer
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tests/nsis_wine_test.sh
                   ${PEDESTAL_DIST}/pedestal-${PROJECT_VERSION}-win64-setup.exe ${PROJECT_VERSION}
                   ${CMAKE_CURRENT_BINARY_DIR}/windows-installer ${windows_programs})
  set_tests_properties(package_windows_installer PROPERTIES
                       LABELS package RUN_SERIAL ON TIMEOUT 600)
endif()
