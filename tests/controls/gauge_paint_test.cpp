// The gauge's pixels, on real widgets painted offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QTest>
#include <memory>
#include <set>
#include <vector>

#include "Gauges.h"

namespace {

constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kWhite = 0xFFFFFFFFu;
constexpr QRgb kRed = 0xFFFF0000u;
constexpr QRgb kBlue = 0xFF0000FFu;
constexpr QRgb kGreen = 0xFF00FF00u;

std::unique_ptr<TGauge> ShownGauge(int width, int height) {
  auto gauge = std::make_unique<TGauge>();
  gauge->resize(width, height);
  gauge->show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(gauge.get()));
  return gauge;
}

// What is on the widget, as exact 32-bit pixels.
QImage OnScreen(TGauge& gauge) { return gauge.grab().toImage().convertToFormat(QImage::Format_RGB32); }

QRgb Px(const QImage& image, int x, int y) { return image.pixel(x, y); }

// The gauge painted with and without its text; the text pixels are those
// that differ, and the text must only invert them.
std::vector<QPoint> TextPixels(TGauge& gauge, const QImage& withText) {
  gauge.SetShowText(false);
  const QImage plain = gauge.Paint();
  gauge.SetShowText(true);
  std::vector<QPoint> points;
  for (int y = 0; y < plain.height(); ++y)
    for (int x = 0; x < plain.width(); ++x)
      if (Px(plain, x, y) != Px(withText, x, y)) {
        EXPECT_EQ(Px(plain, x, y) ^ Px(withText, x, y), 0x00FFFFFFu) << "not inverted at " << x << "," << y;
        points.push_back(QPoint(x, y));
      }
  return points;
}

// Where the text must be, for a gauge with a single border: the glyphs of
// `text` in the gauge's font without grey edges, their cell's top left corner
// at X = (R - L + 1 - text width) div 2, Y = (B - T + 1 - text height) div 2 of
// the paint rectangle (L, T, R, B), clipped to that rectangle.
std::vector<QPoint> ExpectedTextPixels(const TGauge& gauge, const QString& text) {
  QFont font = gauge.font();
  font.setStyleStrategy(QFont::NoAntialias);
  const QFontMetrics metrics(font);
  const int l = 1, t = 1, r = gauge.width() - 1, b = gauge.height() - 1;
  const int x = (r - l + 1 - metrics.horizontalAdvance(text)) / 2;
  const int y = (b - t + 1 - metrics.height()) / 2;
  QImage glyphs(gauge.size(), QImage::Format_RGB32);
  glyphs.fill(kBlack);
  {
    QPainter painter(&glyphs);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.setClipRect(QRect(l, t, r - l, b - t));
    painter.drawText(x, y + metrics.ascent(), text);
  }
  std::vector<QPoint> points;
  for (int py = 0; py < glyphs.height(); ++py)
    for (int px = 0; px < glyphs.width(); ++px)
      if (Px(glyphs, px, py) != kBlack) points.push_back(QPoint(px, py));
  return points;
}

TEST(GaugePaint, MakeLikeTakesTheSizeAndTheFrameColour) {
  QImage tmpl(37, 11, QImage::Format_RGB32);
  TBltBitmap bitmap;
  bitmap.MakeLike(tmpl);
  ASSERT_EQ(bitmap.size(), QSize(37, 11));
  const QRgb frame = QApplication::palette().color(QPalette::Active, QPalette::WindowText).rgb();
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 37; ++x) ASSERT_EQ(Px(bitmap, x, y), frame);
}

TEST(GaugePaint, WidgetShowsExactlyThePaintedPicture) {
  auto gauge = ShownGauge(343, 18);
  gauge->SetProgress(37);
  EXPECT_EQ(OnScreen(*gauge), gauge->Paint());
}

TEST(GaugePaint, DefaultsShowZeroPercentCentredOnWhiteInABlackFrame) {
  auto gauge = ShownGauge(100, 100);
  const QImage image = OnScreen(*gauge);
  for (int i = 0; i < 100; ++i) {
    ASSERT_EQ(Px(image, i, 0), kBlack);
    ASSERT_EQ(Px(image, i, 99), kBlack);
    ASSERT_EQ(Px(image, 0, i), kBlack);
    ASSERT_EQ(Px(image, 99, i), kBlack);
  }
  // The interior is white apart from the black text "0%".
  QRect text;
  for (int y = 1; y < 99; ++y)
    for (int x = 1; x < 99; ++x) {
      const QRgb c = Px(image, x, y);
      ASSERT_TRUE(c == kWhite || c == kBlack) << x << "," << y;
      if (c == kBlack) text |= QRect(x, y, 1, 1);
    }
  ASSERT_FALSE(text.isEmpty());
  EXPECT_EQ(TextPixels(*gauge, image), ExpectedTextPixels(*gauge, "0%"));
}

TEST(GaugePaint, MainWindowGaugeAtHalfWay) {
  auto gauge = ShownGauge(343, 18);
  gauge->SetProgress(50);
  gauge->SetShowText(false);
  const QImage bar = OnScreen(*gauge);
  for (int y = 0; y < 18; ++y)
    for (int x = 0; x < 343; ++x) {
      QRgb expected = kBlack;  // frame and bar
      if (x >= 1 && x <= 341 && y >= 1 && y <= 16 && x >= 171) expected = kWhite;
      ASSERT_EQ(Px(bar, x, y), expected) << x << "," << y;
    }

  gauge->SetShowText(true);
  const QImage withText = OnScreen(*gauge);
  const std::vector<QPoint> text = TextPixels(*gauge, withText);
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text, ExpectedTextPixels(*gauge, "50%"));
  bool whiteOnBar = false, blackOnBack = false;
  for (const QPoint& p : text) {
    EXPECT_TRUE(p.x() >= 1 && p.x() <= 341 && p.y() >= 1 && p.y() <= 16);
    if (p.x() < 171) whiteOnBar |= Px(withText, p.x(), p.y()) == kWhite;
    if (p.x() >= 171) blackOnBack |= Px(withText, p.x(), p.y()) == kBlack;
  }
  EXPECT_TRUE(whiteOnBar);
  EXPECT_TRUE(blackOnBack);
}

TEST(GaugePaint, HorizontalBarEndsAtTheComputedLength) {
  // Without a border the bar starts at column 0 and its length is computed on
  // one more than the width.
  struct Case {
    int width, percent, filled;
  };
  const Case cases[] = {{99, 5, 4}, {9, 10, 0}, {9, 20, 1}, {9, 100, 9}, {99, 100, 99}, {341, 50, 171}};
  for (const Case& c : cases) {
    auto gauge = ShownGauge(c.width, 6);
    gauge->SetBorderStyle(TBorderStyle::bsNone);
    gauge->SetShowText(false);
    gauge->SetForeColor(Qt::red);
    gauge->SetProgress(c.percent);
    const QImage image = OnScreen(*gauge);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < c.width; ++x)
        ASSERT_EQ(Px(image, x, y), x < c.filled ? kRed : kWhite)
            << c.percent << "% of width " << c.width << " at " << x << "," << y;
  }
}

TEST(GaugePaint, MainWindowBarForEveryPercentage) {
  auto gauge = ShownGauge(343, 18);
  gauge->SetShowText(false);
  for (int p = 0; p <= 100; ++p) {
    gauge->SetProgress(p);
    const QImage image = OnScreen(*gauge);
    const int edge = 342 * p / 100;  // the bar's right edge, exclusive
    for (int x = 1; x <= 341; ++x) ASSERT_EQ(Px(image, x, 9), x < edge ? kBlack : kWhite) << p << "% at column " << x;
  }
}

TEST(GaugePaint, EqualBoundsShowAnEmptyBarAndZeroPercent) {
  auto gauge = ShownGauge(343, 18);
  gauge->SetMinValue(5);
  gauge->SetMaxValue(5);
  const QImage image = OnScreen(*gauge);
  TGauge fresh;
  fresh.resize(343, 18);
  EXPECT_EQ(image, fresh.Paint());  // the picture of 0 on 0..100
}

TEST(GaugePaint, VerticalBar) {
  auto gauge = ShownGauge(20, 30);
  gauge->SetKind(TGaugeKind::gkVerticalBar);
  gauge->SetShowText(false);
  gauge->SetProgress(100);
  QImage image = OnScreen(*gauge);
  for (int y = 1; y < 29; ++y)
    for (int x = 1; x < 19; ++x) ASSERT_EQ(Px(image, x, y), kBlack) << "single border, full, " << x << "," << y;

  gauge->SetBorderStyle(TBorderStyle::bsNone);
  gauge->SetForeColor(Qt::red);
  image = OnScreen(*gauge);
  for (int x = 0; x < 20; ++x) {
    ASSERT_EQ(Px(image, x, 0), kWhite) << "top row stays back colour at " << x;
    for (int y = 1; y < 30; ++y) ASSERT_EQ(Px(image, x, y), kRed) << x << "," << y;
  }

  // Half: the bar rises from the bottom, its top at H - length(50, H).
  gauge->SetProgress(50);
  image = OnScreen(*gauge);
  const int top = 31 - GaugeBarLength(50, 31);
  for (int y = 0; y < 30; ++y) ASSERT_EQ(Px(image, 10, y), y >= top ? kRed : kWhite) << y;
}

TEST(GaugePaint, TextKindIsTheBackColourWithTheText) {
  auto gauge = ShownGauge(60, 20);
  gauge->SetKind(TGaugeKind::gkText);
  gauge->SetBackColor(Qt::blue);
  gauge->SetProgress(100);
  gauge->SetShowText(false);
  QImage image = OnScreen(*gauge);
  for (int y = 1; y < 19; ++y)
    for (int x = 1; x < 59; ++x) ASSERT_EQ(Px(image, x, y), kBlue);
  gauge->SetShowText(true);
  image = OnScreen(*gauge);
  const std::vector<QPoint> text = TextPixels(*gauge, image);
  ASSERT_FALSE(text.empty());
  for (const QPoint& p : text) EXPECT_EQ(Px(image, p.x(), p.y()), 0xFFFFFF00u);  // blue inverted
}

// A pie or needle gauge in red on white, on a green surround.
std::unique_ptr<TGauge> DialGauge(TGaugeKind kind, int width, int height) {
  auto gauge = ShownGauge(width, height);
  gauge->SetKind(kind);
  gauge->SetShowText(false);
  gauge->SetBorderStyle(TBorderStyle::bsNone);
  gauge->SetForeColor(Qt::red);
  gauge->SetColor(Qt::green);
  return gauge;
}

TEST(GaugePaint, PieAtZeroIsTheBackColourEllipseOnTheSurround) {
  auto gauge = DialGauge(TGaugeKind::gkPie, 41, 41);
  const QImage image = OnScreen(*gauge);
  EXPECT_EQ(Px(image, 20, 20), kWhite);
  EXPECT_EQ(Px(image, 0, 0), kGreen);
  EXPECT_EQ(Px(image, 40, 40), kGreen);
  // Red only on the outline: next to the surround or the image's edge.
  int outline = 0;
  for (int y = 0; y < 41; ++y)
    for (int x = 0; x < 41; ++x) {
      const QRgb c = Px(image, x, y);
      ASSERT_TRUE(c == kWhite || c == kRed || c == kGreen) << x << "," << y;
      if (c != kRed) continue;
      ++outline;
      const bool edge = x == 0 || y == 0 || x == 40 || y == 40 || Px(image, x - 1, y) == kGreen ||
                        Px(image, x + 1, y) == kGreen || Px(image, x, y - 1) == kGreen || Px(image, x, y + 1) == kGreen;
      EXPECT_TRUE(edge) << "red inside the ellipse at " << x << "," << y;
    }
  EXPECT_GT(outline, 100);
  // The ellipse touches all four sides of its box.
  EXPECT_EQ(Px(image, 20, 0), kRed);
  EXPECT_EQ(Px(image, 20, 40), kRed);
  EXPECT_EQ(Px(image, 0, 20), kRed);
  EXPECT_EQ(Px(image, 40, 20), kRed);
}

TEST(GaugePaint, PieGrowsClockwiseFromTwelveOClock) {
  struct Probe {
    int x, y;
  };
  // Quarter probes: upper right, lower right, lower left, upper left.
  const Probe quarters[] = {{28, 12}, {28, 28}, {12, 28}, {12, 12}};
  struct Case {
    int percent;
    int filledQuarters;
  };
  const Case cases[] = {{0, 0}, {25, 1}, {50, 2}, {75, 3}, {100, 4}};
  for (const Case& c : cases) {
    auto gauge = DialGauge(TGaugeKind::gkPie, 41, 41);
    gauge->SetProgress(c.percent);
    const QImage image = OnScreen(*gauge);
    for (int q = 0; q < 4; ++q)
      EXPECT_EQ(Px(image, quarters[q].x, quarters[q].y), q < c.filledQuarters ? kRed : kWhite)
          << c.percent << "% quarter " << q;
    EXPECT_EQ(Px(image, 0, 0), kGreen) << c.percent;
  }
}

TEST(GaugePaint, PieAtHundredIsAFullForeColourEllipse) {
  auto gauge = DialGauge(TGaugeKind::gkPie, 41, 31);
  gauge->SetProgress(100);
  const QImage image = OnScreen(*gauge);
  int red = 0;
  for (int y = 0; y < 31; ++y)
    for (int x = 0; x < 41; ++x) {
      const QRgb c = Px(image, x, y);
      ASSERT_TRUE(c == kRed || c == kGreen) << x << "," << y;
      red += c == kRed;
    }
  // About pi/4 of the box.
  EXPECT_NEAR(red, 3.14159 / 4 * 41 * 31, 41 * 31 / 20);
  EXPECT_EQ(Px(image, 20, 15), kRed);
  EXPECT_EQ(Px(image, 0, 0), kGreen);
}

TEST(GaugePaint, NeedleFromTheBaseCentre) {
  // Single border, 100 x 60: base on row B = 59, needle from (50, 58).
  auto gauge = ShownGauge(100, 60);
  gauge->SetKind(TGaugeKind::gkNeedle);
  gauge->SetShowText(false);
  gauge->SetForeColor(Qt::red);
  gauge->SetColor(Qt::green);

  QImage image = OnScreen(*gauge);
  EXPECT_EQ(Px(image, 50, 30), kWhite) << "dial interior";
  EXPECT_EQ(Px(image, 2, 2), kGreen) << "surround";
  for (int x = 10; x < 90; ++x) EXPECT_EQ(Px(image, x, 58), kWhite) << "no needle at 0, column " << x;

  gauge->SetProgress(50);  // straight up from (50, 58) to (50, 0), end excluded
  image = OnScreen(*gauge);
  for (int y = 10; y <= 58; ++y) EXPECT_EQ(Px(image, 50, y), kRed) << "row " << y;
  EXPECT_EQ(Px(image, 49, 30), kWhite);
  EXPECT_EQ(Px(image, 51, 30), kWhite);

  gauge->SetProgress(100);  // right along the base, to its last pixel
  image = OnScreen(*gauge);
  for (int x = 50; x <= 99; ++x) EXPECT_EQ(Px(image, x, 58), kRed) << "column " << x;
  for (int x = 10; x < 49; ++x) EXPECT_EQ(Px(image, x, 58), kWhite) << "column " << x;
  EXPECT_EQ(Px(image, 50, 30), kWhite);
}

TEST(GaugePaint, TextOnlyInvertsAndIsAbsentWhenHidden) {
  const TGaugeKind kinds[] = {TGaugeKind::gkText, TGaugeKind::gkHorizontalBar, TGaugeKind::gkVerticalBar,
                              TGaugeKind::gkPie, TGaugeKind::gkNeedle};
  for (TGaugeKind kind : kinds) {
    auto gauge = ShownGauge(80, 60);
    gauge->SetKind(kind);
    gauge->SetForeColor(Qt::red);
    gauge->SetProgress(42);
    const QImage withText = OnScreen(*gauge);
    const std::vector<QPoint> text = TextPixels(*gauge, withText);  // checks inversion
    EXPECT_FALSE(text.empty()) << static_cast<int>(kind);
    for (const QPoint& p : text)
      EXPECT_TRUE(p.x() >= 1 && p.x() < 79 && p.y() >= 1 && p.y() < 59) << "text outside the paint rectangle";
  }
}

TEST(GaugePaint, DisabledGaugeDrawsTheSame) {
  for (TGaugeKind kind : {TGaugeKind::gkHorizontalBar, TGaugeKind::gkNeedle}) {
    auto gauge = ShownGauge(120, 40);
    gauge->SetKind(kind);
    gauge->SetProgress(63);
    const QImage enabled = OnScreen(*gauge);
    gauge->setEnabled(false);
    EXPECT_EQ(OnScreen(*gauge), enabled) << static_cast<int>(kind);
  }
}

TEST(GaugePaint, TextIsClippedToThePaintRectangle) {
  // Far too small for "100%": nothing may land on the frame.
  auto gauge = ShownGauge(8, 5);
  gauge->SetProgress(100);
  const QImage image = OnScreen(*gauge);
  for (int x = 0; x < 8; ++x) {
    EXPECT_EQ(Px(image, x, 0), kBlack);
    EXPECT_EQ(Px(image, x, 4), kBlack);
  }
  for (int y = 0; y < 5; ++y) {
    EXPECT_EQ(Px(image, 0, y), kBlack);
    EXPECT_EQ(Px(image, 7, y), kBlack);
  }
}

TEST(GaugePaint, DegenerateSizesPaintWithoutFault) {
  const QSize sizes[] = {{1, 1}, {2, 2}, {3, 1}, {1, 40}, {0, 0}};
  const TGaugeKind kinds[] = {TGaugeKind::gkText, TGaugeKind::gkHorizontalBar, TGaugeKind::gkVerticalBar,
                              TGaugeKind::gkPie, TGaugeKind::gkNeedle};
  for (const QSize& size : sizes)
    for (TGaugeKind kind : kinds)
      for (TBorderStyle border : {TBorderStyle::bsNone, TBorderStyle::bsSingle}) {
        TGauge gauge;
        gauge.resize(size);
        gauge.SetKind(kind);
        gauge.SetBorderStyle(border);
        gauge.SetProgress(60);
        const QImage image = gauge.Paint();
        EXPECT_EQ(image.size(), size);
      }
}

}  // namespace
