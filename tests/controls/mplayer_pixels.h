#pragma once
// Reading the button row's pixels in tests.

#include <QImage>
#include <QPalette>

#include "MPlayer.h"

enum Glyph { kEnabled = 0, kDisabled = 1, kColored = 2 };

inline QImage Pixels(TMediaPlayer& player) { return player.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// True when the glyph sits at (x, y) with its olive pixels in the face colour
// (the active one, which a disabled row keeps).
inline bool HasGlyph(const TMediaPlayer& player, const QImage& image, TMPBtnType button, Glyph index, int x, int y) {
  const QImage& glyph = player.Glyph(button, index);
  const QRgb face = player.palette().color(QPalette::Active, QPalette::Button).rgb();
  for (int gy = 0; gy < glyph.height(); ++gy)
    for (int gx = 0; gx < glyph.width(); ++gx) {
      QRgb expected = glyph.pixel(gx, gy);
      if (expected == qRgb(128, 128, 0)) expected = face;
      if (image.pixel(x + gx, y + gy) != expected) return false;
    }
  return true;
}
