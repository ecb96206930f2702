# cmake -DVERSION=x.y.z -DSOURCE_DIR=... -DOUTPUT=.../pelliset_version.h -P WriteVersion.cmake
# Writes the version header the programs print with --version: the project version, and the git
# description when built from a checkout. The file is rewritten only when its text changes, so a
# build after an unchanged checkout recompiles nothing.
set(text "${VERSION}")
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS "${SOURCE_DIR}/.git")
  execute_process(
    COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" describe --always --dirty --tags
    OUTPUT_VARIABLE description
    OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE result
    ERROR_QUIET)
  if(result EQUAL 0 AND description)
    set(text "${VERSION} (git ${description})")
  endif()
endif()
set(content "#pragma once\n\n// Written by the build (cmake/WriteVersion.cmake); not kept in the sources.\n#define PELLISET_VERSION \"${VERSION}\"\n#define PELLISET_VERSION_TEXT \"${text}\"\n")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
else()
  set(old "")
endif()
if(NOT old STREQUAL content)
  file(WRITE "${OUTPUT}" "${content}")
endif()
