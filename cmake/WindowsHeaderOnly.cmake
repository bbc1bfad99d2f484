cmake_minimum_required(VERSION 3.25)
# cmake -DPREFIX=dir -P WindowsHeaderOnly.cmake
# Puts Debian's header-only Boost, nlohmann/json and toml++ into the Windows prefix
# for the cross-build: a link to each header folder under PREFIX/include, and
# package files for find_package that name only those folders. The system's
# own package files would put all of /usr/include on the Windows include
# path, and with it Linux headers that shadow mingw's.
include(CMakePackageConfigHelpers)

# stage(package header-folder target version)
function(stage package folder target version)
  file(MAKE_DIRECTORY ${PREFIX}/include)
  file(CREATE_LINK /usr/include/${folder} ${PREFIX}/include/${folder} SYMBOLIC)
  set(dir ${PREFIX}/lib/cmake/${package})
  file(WRITE ${dir}/${package}Config.cmake
"# Header-only ${package} from the build machine, for the Windows cross-build.
if(NOT TARGET ${target})
  add_library(${target} INTERFACE IMPORTED)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES
    \"\${CMAKE_CURRENT_LIST_DIR}/../../../include\")
endif()
")
  write_basic_package_version_file(${dir}/${package}ConfigVersion.cmake VERSION ${version}
    COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
endfunction()

file(STRINGS /usr/include/boost/version.hpp line REGEX "define BOOST_VERSION ")
string(REGEX REPLACE ".* ([0-9]+)$" "\\1" number "${line}")
math(EXPR major "${number} / 100000")
math(EXPR minor "${number} / 100 % 1000")
math(EXPR patch "${number} % 100")
stage(Boost boost Boost::headers ${major}.${minor}.${patch})

file(STRINGS /usr/include/nlohmann/detail/abi_macros.hpp lines
  REGEX "define NLOHMANN_JSON_VERSION_(MAJOR|MINOR|PATCH) ")
string(REGEX MATCHALL "VERSION_[A-Z]+ +[0-9]+" parts "${lines}")
string(REGEX REPLACE "VERSION_[A-Z]+ +" "" parts "${parts}")
list(JOIN parts . version)
stage(nlohmann_json nlohmann nlohmann_json::nlohmann_json ${version})

# toml++ for the bindings file: header-only here (its header defaults to it).
file(STRINGS /usr/include/toml++/impl/version.h lines REGEX "define TOML_LIB_(MAJOR|MINOR|PATCH) ")
string(REGEX MATCHALL "TOML_LIB_[A-Z]+ +[0-9]+" parts "${lines}")
string(REGEX REPLACE "TOML_LIB_[A-Z]+ +" "" parts "${parts}")
list(JOIN parts . version)
stage(tomlplusplus toml++ tomlplusplus::tomlplusplus ${version})
