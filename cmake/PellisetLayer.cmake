# pelliset_layer(NAME DEPS...): a static library of every .cc file in the current folder
# (files ending in _main.cc are program entry points and stay out).
function(pelliset_layer name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cc)
  list(FILTER sources EXCLUDE REGEX "_main\\.cc$")
  if(NOT sources)
    message(FATAL_ERROR "pelliset_layer(${name}): no source files in ${CMAKE_CURRENT_SOURCE_DIR}")
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# pelliset_tests(FOLDER LIBS...): one test program per tests/ folder, each test known to CTest.
function(pelliset_tests folder)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cc)
  if(NOT sources)
    return()
  endif()
  set(target ${folder}_tests)
  add_executable(${target} ${sources})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/src
                                               ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${target} PRIVATE
    PELLISET_SOURCE_DIR="${PROJECT_SOURCE_DIR}" PELLISET_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS ${folder})
endfunction()
