# Shared helpers for the project's targets.

# Our own code builds with strict warnings. Warnings are errors only where we
# build ourselves (VANTORA_WERROR): a newer compiler's new warning must not
# break a user's or a packager's build.
function(vantora_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wshadow -Wold-style-cast -Wnon-virtual-dtor $<$<BOOL:${VANTORA_WERROR}>:-Werror>)
endfunction()

# Makes the headers of `folder` (a source folder) reachable for `target` and
# for everything that links it, under their paths from the project root
# ("platform/base/clock.h"), and nothing else of the source tree: the target's
# include folder in the build tree holds one link per folder it exposes. A
# library thus sees its own folder and the folders of the libraries it links;
# an include of any other folder (a folder above it, say) is not found and
# fails to compile. No product target has the project root on its include path.
function(vantora_expose_folder target folder)
  file(RELATIVE_PATH _relative ${PROJECT_SOURCE_DIR} ${folder})
  set(_root ${PROJECT_BINARY_DIR}/exposed/${target})
  set(_link ${_root}/${_relative})
  get_filename_component(_parent ${_link} DIRECTORY)
  file(MAKE_DIRECTORY ${_parent})
  if(IS_SYMLINK ${_link})
    file(READ_SYMLINK ${_link} _points_to)
    if(NOT _points_to STREQUAL "${folder}")
      file(REMOVE ${_link})
    endif()
  endif()
  if(NOT IS_SYMLINK ${_link})
    file(CREATE_LINK ${folder} ${_link} SYMBOLIC)
  endif()
  target_include_directories(${target} PUBLIC ${_root})
endfunction()

# A static library made of every source in the calling folder, exposing that
# folder only (see vantora_expose_folder).
function(vantora_folder_library name)
  file(GLOB _sources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${_sources})
  vantora_expose_folder(${name} ${CMAKE_CURRENT_SOURCE_DIR})
  vantora_warnings(${name})
endfunction()

# One Qt Test executable registered with CTest, run headless with a pinned locale.
#   vantora_add_test(NAME name SOURCES a.cpp ... LIBS lib ... [TIMEOUT s] [DAEMONS])
# TIMEOUT is the plain build's limit; a slower build (VANTORA_TEST_SLOWDOWN)
# multiplies it. DAEMONS marks a test that starts system daemons: it runs in a
# private network of its own and never beside another such test.
if(VANTORA_ASAN)
  set(_slowdown 4)
else()
  set(_slowdown 1)
endif()
set(VANTORA_TEST_SLOWDOWN ${_slowdown} CACHE STRING "How many times slower than the plain build the tests run")
# The test peers' interpreter: the system's own first, since a version manager's
# shim (pyenv's, say) runs a chain of shells that takes seconds on a loaded machine.
find_program(VANTORA_TEST_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
find_program(VANTORA_TEST_PYTHON NAMES python3)
function(vantora_add_test)
  cmake_parse_arguments(T "DAEMONS" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  vantora_warnings(${T_NAME})
  target_link_libraries(${T_NAME} PRIVATE vantora_testsupport ${T_LIBS} Qt6::Test)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  math(EXPR T_TIMEOUT "${T_TIMEOUT} * ${VANTORA_TEST_SLOWDOWN}")
  set(_env QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 LC_ALL=C.UTF-8 VANTORA_SOURCE_DIR=${PROJECT_SOURCE_DIR}
    VANTORA_TEST_SLOWDOWN=${VANTORA_TEST_SLOWDOWN} VANTORA_PYTHON=${VANTORA_TEST_PYTHON})
  if(T_DAEMONS)
    list(APPEND _env VANTORA_PRIVATE_NETWORK=1)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK system_daemons)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT} ENVIRONMENT "${_env}")
endfunction()
