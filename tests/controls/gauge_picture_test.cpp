// The shared gauge picture, made straight from a state, against what the
// widget shows for the same state: the face must hand over every property
// (sizes, kind, border, colours, the surround it takes from its parent) and
// copy the picture without changing a pixel.
#include <gtest/gtest.h>

#include <QPalette>
#include <QTest>
#include <memory>
#include <ostream>
#include <string>

#include "GaugeText_qt.h"
#include "Gauges.h"
#include "PixelBuffer_qt.h"

namespace {

struct Case {
  const char* name;
  TGaugeKind kind;
  TBorderStyle border;
  int width, height, progress;
  bool showText;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class GaugePictureTable : public ::testing::TestWithParam<Case> {};

TEST_P(GaugePictureTable, WidgetShowsThePictureOfItsState) {
  const Case& c = GetParam();
  // A parent with its own background, so a face that took the wrong
  // surround colour for the pie and needle shows it.
  QWidget window;
  QPalette palette = window.palette();
  palette.setColor(window.backgroundRole(), QColor(0x20, 0x90, 0x40));
  window.setPalette(palette);
  window.resize(c.width + 20, c.height + 20);
  auto* gauge = new TGauge(&window);
  gauge->move(5, 7);
  gauge->resize(c.width, c.height);
  gauge->SetMinValue(-50);
  gauge->SetMaxValue(150);
  gauge->SetProgress(c.progress);
  gauge->SetKind(c.kind);
  gauge->SetBorderStyle(c.border);
  gauge->SetShowText(c.showText);
  gauge->SetForeColor(QColor(0xC0, 0x10, 0x30));
  gauge->SetBackColor(QColor(0xF0, 0xE0, 0x70));
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  GaugeState state;
  state.width = c.width;
  state.height = c.height;
  state.kind = c.kind;
  state.borderStyle = c.border;
  state.percentage = (c.progress + 50) * 100 / 200;
  state.showText = c.showText;
  state.foreColor = PixelRgb(0xC0, 0x10, 0x30);
  state.backColor = PixelRgb(0xF0, 0xE0, 0x70);
  state.color = PixelRgb(0x20, 0x90, 0x40);
  FontTextPainter text(gauge->font());
  const QImage expected = ToImage(GaugePicture(state, &text));

  const QImage shown = gauge->grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(shown.size(), expected.size());
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(gauge->Paint(), expected);
}

const Case kCases[] = {
    {"BarSingle", TGaugeKind::gkHorizontalBar, TBorderStyle::bsSingle, 343, 18, 24, true},
    {"BarNone", TGaugeKind::gkHorizontalBar, TBorderStyle::bsNone, 120, 21, 149, false},
    {"VerticalSingle", TGaugeKind::gkVerticalBar, TBorderStyle::bsSingle, 24, 90, 60, true},
    {"VerticalNone", TGaugeKind::gkVerticalBar, TBorderStyle::bsNone, 30, 61, -50, false},
    {"TextSingle", TGaugeKind::gkText, TBorderStyle::bsSingle, 80, 30, 150, true},
    {"PieSingle", TGaugeKind::gkPie, TBorderStyle::bsSingle, 70, 60, 33, true},
    {"PieNoneEmpty", TGaugeKind::gkPie, TBorderStyle::bsNone, 51, 64, -50, false},
    {"NeedleSingle", TGaugeKind::gkNeedle, TBorderStyle::bsSingle, 100, 60, 90, false},
    {"NeedleNone", TGaugeKind::gkNeedle, TBorderStyle::bsNone, 77, 40, 10, true},
};

INSTANTIATE_TEST_SUITE_P(States, GaugePictureTable, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
