vantrel_add_test(mplayer_tests QT
  SOURCES mplayer_device_test.cpp mplayer_row_test.cpp glyphs_test.cpp mplayer_fake_service.h mplayer_pixels.h
  LIBS controls)

# The same control on the real media service, playing through the test's
# sound server.
vantrel_add_test(mplayer_sound_tests QT SOUND
  SOURCES mplayer_sound_test.cpp mplayer_pixels.h
  LIBS controls test_fixtures)
