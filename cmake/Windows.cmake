# The Windows build: the shared rules with their Windows files, the command
# line vantrel.com, the decoder library mpegdll.dll, and the tests run under
# wine. No Qt and no third-party library: Debian has none for MinGW, and
# Windows has the services.
add_compile_definitions(UNICODE _UNICODE WINVER=0x0A00 _WIN32_WINNT=0x0A00)
# The programs import only DLLs Windows itself has: the C++ run-time and the
# threads library go into each program.
add_link_options(-static -static-libgcc -static-libstdc++)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

add_subdirectory(include)
add_subdirectory(framework)
# The controls' shared pictures, and the media player's device on the
# system's MCI (winmm) with a message-only window for its reports.
add_subdirectory(controls)
add_subdirectory(mpegdll)
add_subdirectory(mpegplay)
add_subdirectory(app)

if(BUILD_TESTING)
  enable_testing()
  add_subdirectory(tests/windows)
endif()
