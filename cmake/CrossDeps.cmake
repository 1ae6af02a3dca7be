# The libraries of a cross build that Debian has only for the build machine: CLI11 and
# nlohmann-json are headers alone, GoogleTest comes as source (libgtest-dev). The headers are
# reached through a folder of links of their own, never all of /usr/include, whose C library
# headers are not Windows'.
set(HJ_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${HJ_HOST_HEADERS})
foreach(dir CLI nlohmann)
  if(NOT EXISTS /usr/include/${dir})
    message(FATAL_ERROR "/usr/include/${dir} is missing: scripts/setup-deps.sh installs it")
  endif()
  if(NOT EXISTS ${HJ_HOST_HEADERS}/${dir})
    file(CREATE_LINK /usr/include/${dir} ${HJ_HOST_HEADERS}/${dir} SYMBOLIC)
  endif()
endforeach()
add_library(CLI11::CLI11 INTERFACE IMPORTED GLOBAL)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${HJ_HOST_HEADERS})
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${HJ_HOST_HEADERS})

if(HJ_BUILD_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # Not our code: built without this project's warnings.
  set_target_properties(gtest gtest_main PROPERTIES COMPILE_OPTIONS "-w")
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
endif()
