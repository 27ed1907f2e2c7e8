# Helpers that keep each layer's CMakeLists short: a layer is a static library
# built from every source below its folders, and each test file is one test program.

# quorvel_add_library(NAME name DIRS dir... [EXCLUDE regex] LIBS lib...)
# Builds a static library from the .cpp and .c files found (recursively) below DIRS.
# A layer whose folders hold no source yet defines no target.
function(quorvel_add_library)
  cmake_parse_arguments(ARG "" "NAME;EXCLUDE" "DIRS;LIBS" ${ARGN})
  set(sources "")
  foreach(dir ${ARG_DIRS})
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c)
    list(APPEND sources ${found})
  endforeach()
  if(ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "${ARG_EXCLUDE}")
  endif()
  if(NOT sources)
    return()
  endif()
  add_library(${ARG_NAME} STATIC ${sources})
  target_include_directories(${ARG_NAME} PUBLIC ${PROJECT_SOURCE_DIR}/include)
  target_link_libraries(${ARG_NAME} PUBLIC ${ARG_LIBS})
endfunction()

# quorvel_add_tests(DIR dir LIBS lib... [RESOURCE_LOCK name] [REQUIRES target...])
# Every <unit>_test.cpp in DIR becomes the test program and CTest test <area>_<unit>_test.
# Tests that share DDS domains and topics take one RESOURCE_LOCK so they never overlap.
function(quorvel_add_tests)
  cmake_parse_arguments(ARG "" "DIR;RESOURCE_LOCK" "LIBS;REQUIRES" ${ARGN})
  foreach(target ${ARG_REQUIRES})
    if(NOT TARGET ${target})
      return()
    endif()
  endforeach()
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_DIR}/*_test.cpp)
  file(GLOB support CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_DIR}/support/*.cpp)
  string(REPLACE "/" "_" area ${ARG_DIR})
  foreach(test_source ${tests})
    get_filename_component(unit ${test_source} NAME_WE)
    set(name ${area}_${unit})
    add_executable(${name} ${test_source} ${support})
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock Threads::Threads)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 300 LABELS ${area})
    if(ARG_RESOURCE_LOCK)
      set_tests_properties(${name} PROPERTIES RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
    endif()
  endforeach()
endfunction()

# quorvel_python_test_environment(VAR)
# Sets VAR to the environment a Python test of quorvel_api needs: the module on PYTHONPATH
# and, in the sanitizer build, the runtimes the uninstrumented interpreter must preload.
function(quorvel_python_test_environment var)
  set(environment PYTHONPATH=${QUORVEL_PYTHON_DIR} PYTHONDONTWRITEBYTECODE=1)
  if(QUORVEL_SANITIZE)
    # The sanitizer runtime comes before the module, and the C++ runtime with it so that
    # its throw interceptor finds __cxa_throw. Python's own allocations at exit are not
    # ours to report.
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libasan.so
      OUTPUT_VARIABLE asan_runtime OUTPUT_STRIP_TRAILING_WHITESPACE)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++.so
      OUTPUT_VARIABLE cxx_runtime OUTPUT_STRIP_TRAILING_WHITESPACE)
    list(APPEND environment LD_PRELOAD=${asan_runtime}:${cxx_runtime} ASAN_OPTIONS=detect_leaks=0)
  endif()
  set(${var} ${environment} PARENT_SCOPE)
endfunction()
