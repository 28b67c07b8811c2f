# MP3 to WAV through the decoder library against `mpg123 -q -w`.
# Run: cmake --build BUILD --target mp3_decode mpegdll &&
#      bench/mp3_compare.sh BUILD/bin/mp3_decode BUILD/bin/libmpegdll.so
add_executable(mp3_decode ${CMAKE_CURRENT_SOURCE_DIR}/mp3_decode.cpp)
target_link_libraries(mp3_decode PRIVATE mpeg_library)
vantrel_target_defaults(mp3_decode)
add_dependencies(mp3_decode mpegdll)
