# Shared helpers for the project's targets.

# Our own code builds with strict warnings, and warnings are errors.
function(vantora_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wshadow -Wold-style-cast -Wnon-virtual-dtor -Werror)
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
#   vantora_add_test(NAME name SOURCES a.cpp ... LIBS lib ...)
function(vantora_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  vantora_warnings(${T_NAME})
  target_link_libraries(${T_NAME} PRIVATE vantora_testsupport ${T_LIBS} Qt6::Test)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;LC_ALL=C.UTF-8;VANTORA_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
