target_sources(controls PRIVATE
  PixelBuffer.h PixelBuffer.cpp PixelBuffer_qt.h PixelBuffer_qt.cpp
  GaugePicture.h GaugePicture.cpp
  Gauges.cpp Gauges.h)
