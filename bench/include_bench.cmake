# Lets bench/copy_rate.sh build the benchmark in a tree whose CMake files do not include
# cmake/bench.cmake yet: given as CMAKE_PROJECT_INCLUDE, it includes that file once every target
# of the top-level directory exists (the deferred call sees the top-level CMAKE_SOURCE_DIR).
# cmake/bench.cmake does nothing when its target exists already.
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR}
  CALL include ${CMAKE_SOURCE_DIR}/cmake/bench.cmake)
