# The fuzzing build (clang): every library the targets link carries the
# fuzzer's coverage hooks and the address and undefined-behaviour checks; the
# targets themselves get libFuzzer's main (fuzz/CMakeLists.txt). Tests and
# benchmarks stay out of this build.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang" OR NOT CMAKE_C_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "VANTREL_FUZZ needs clang: configure with CC=clang CXX=clang++")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                    -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)
set(BUILD_TESTING OFF)
set(VANTREL_BENCH OFF)
