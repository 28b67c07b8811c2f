vantrel_add_test(mplayer_tests QT
  SOURCES mplayer_device_test.cpp mplayer_row_test.cpp mplayer_fake_service.h
  LIBS controls)
