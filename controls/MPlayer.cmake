# The media-control player: device commands, the transport button row and its
# 27 glyphs (drawn by tools/make_glyphs.py, committed as BMP files).
target_sources(controls PRIVATE
  MPlayer.h
  MPlayer.cpp
  MPlayerButtonRow.cpp
  ${PROJECT_SOURCE_DIR}/resources/glyphs/glyphs.qrc
)
target_link_libraries(controls PUBLIC mci)
