# Shared helpers for the project's targets.

# Our own code builds with strict warnings. Warnings are errors only where we
# build ourselves (VANTORA_WERROR): a newer compiler's new warning must not
# break a user's or a packager's build.
function(vantora_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wshadow -Wold-style-cast -Wnon-virtual-dtor $<$<BOOL:${VANTORA_WERROR}>:-Werror>)
endfunction()

# A static library made of every source in the calling folder.
function(vantora_folder_library name)
  file(GLOB _sources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${_sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  vantora_warnings(${name})
endfunction()

# Adds every source in the calling folder to an existing library.
function(vantora_folder_sources target)
  file(GLOB _sources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  target_sources(${target} PRIVATE ${_sources})
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
