// The gauge's properties: defaults, clamping, bounds, range errors, loading
// and when it paints. Every gauge here is shown, so repaint() really paints.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>
#include <QTest>
#include <climits>
#include <functional>
#include <memory>
#include <string>

#include "Exceptions.h"
#include "Gauges.h"

namespace {

std::unique_ptr<TGauge> ShownGauge(int width = 100, int height = 100) {
  auto gauge = std::make_unique<TGauge>();
  gauge->resize(width, height);
  gauge->show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(gauge.get()));
  return gauge;
}

TEST(GaugeState, NewGaugeHasTheDefaults) {
  TGauge gauge;
  EXPECT_EQ(gauge.MinValue(), 0);
  EXPECT_EQ(gauge.MaxValue(), 100);
  EXPECT_EQ(gauge.Progress(), 0);
  EXPECT_EQ(gauge.Percentage(), 0);
  EXPECT_EQ(gauge.Kind(), TGaugeKind::gkHorizontalBar);
  EXPECT_TRUE(gauge.ShowText());
  EXPECT_EQ(gauge.BorderStyle(), TBorderStyle::bsSingle);
  EXPECT_EQ(gauge.ForeColor(), QColor(Qt::black));
  EXPECT_EQ(gauge.BackColor(), QColor(Qt::white));
  EXPECT_TRUE(gauge.ParentColor());
  EXPECT_EQ(gauge.size(), QSize(100, 100));
  EXPECT_TRUE(gauge.testAttribute(Qt::WA_OpaquePaintEvent));
  EXPECT_FALSE(gauge.Loading());
}

TEST(GaugeState, ColorFollowsTheParentOrTheWindowColour) {
  TGauge alone;
  EXPECT_EQ(alone.Color(), QApplication::palette().color(QPalette::Active, QPalette::Base));

  QWidget parent;
  QPalette palette = parent.palette();
  palette.setColor(parent.backgroundRole(), QColor(12, 34, 56));
  parent.setPalette(palette);
  TGauge child(&parent);
  EXPECT_EQ(child.Color(), QColor(12, 34, 56));

  child.SetColor(QColor(1, 2, 3));
  EXPECT_FALSE(child.ParentColor());
  EXPECT_EQ(child.Color(), QColor(1, 2, 3));
  child.SetParentColor(true);
  EXPECT_EQ(child.Color(), QColor(12, 34, 56));
}

TEST(GaugeState, ProgressIsClampedIntoTheBounds) {
  struct Case {
    int min, max, value, stored;
  };
  const Case cases[] = {
      {0, 100, 150, 100}, {0, 100, -5, 0},         {10, 20, -5, 10},
      {10, 20, 15, 15},   {-50, 50, INT_MIN, -50}, {-50, 50, INT_MAX, 50},
  };
  for (const Case& c : cases) {
    TGauge gauge;
    gauge.SetMaxValue(c.max);
    gauge.SetMinValue(c.min);
    gauge.SetProgress(c.value);
    EXPECT_EQ(gauge.Progress(), c.stored) << c.min << ".." << c.max << " set " << c.value;
  }
}

TEST(GaugeState, PercentageIsTruncatedAndStaysWithinRange) {
  TGauge gauge;
  gauge.SetMinValue(-2147483647 - 1);
  gauge.SetMaxValue(2147483647);
  gauge.SetProgress(-1);
  EXPECT_EQ(gauge.Percentage(), 49);  // (2^31 - 1) * 100 / (2^32 - 1), truncated
  gauge.SetProgress(0);
  EXPECT_EQ(gauge.Percentage(), 50);
  gauge.SetProgress(2147483647);
  EXPECT_EQ(gauge.Percentage(), 100);

  TGauge small;
  small.SetMaxValue(3);
  small.SetProgress(2);
  EXPECT_EQ(small.Percentage(), 66);
}

TEST(GaugeState, ProgressPaintsOnlyWhenThePercentageChanges) {
  auto gauge = ShownGauge();
  gauge->SetMaxValue(1000);
  const int start = gauge->PaintCount();
  for (int v = 1; v <= 9; ++v) gauge->SetProgress(v);
  EXPECT_EQ(gauge->PaintCount(), start);
  gauge->SetProgress(10);
  EXPECT_EQ(gauge->PaintCount(), start + 1);
  gauge->SetProgress(10);
  gauge->SetProgress(5000);  // clamped to 1000: 100%
  EXPECT_EQ(gauge->PaintCount(), start + 2);
  gauge->SetProgress(1000);
  EXPECT_EQ(gauge->PaintCount(), start + 2);
}

TEST(GaugeState, MillionStepsPaintAtMostOneHundredOneTimes) {
  auto gauge = ShownGauge(343, 18);
  gauge->SetMaxValue(1000000);
  const int start = gauge->PaintCount();
  for (int v = 0; v <= 1000000; ++v) gauge->SetProgress(v);
  const int paints = gauge->PaintCount() - start;
  EXPECT_LE(paints, 101);
  EXPECT_EQ(paints, 100);  // one per percentage from 1 to 100
  EXPECT_EQ(gauge->Progress(), 1000000);
}

TEST(GaugeState, EveryChangingSetterPaintsBeforeReturningAndEqualValuesDoNot) {
  auto gauge = ShownGauge();
  struct Step {
    const char* name;
    std::function<void()> change;
  };
  TGauge& g = *gauge;
  const Step steps[] = {
      {"Kind", [&] { g.SetKind(TGaugeKind::gkPie); }},
      {"ShowText", [&] { g.SetShowText(false); }},
      {"BorderStyle", [&] { g.SetBorderStyle(TBorderStyle::bsNone); }},
      {"ForeColor", [&] { g.SetForeColor(Qt::red); }},
      {"BackColor", [&] { g.SetBackColor(Qt::blue); }},
      {"MinValue", [&] { g.SetMinValue(-10); }},
      {"MaxValue", [&] { g.SetMaxValue(50); }},
  };
  for (const Step& s : steps) {
    int before = g.PaintCount();
    s.change();
    EXPECT_EQ(g.PaintCount(), before + 1) << s.name << " changed";
    before = g.PaintCount();
    s.change();
    EXPECT_EQ(g.PaintCount(), before) << s.name << " set again";
  }
}

TEST(GaugeState, BoundsCarryProgressAlongAndPaint) {
  auto gauge = ShownGauge();
  gauge->SetProgress(80);
  int before = gauge->PaintCount();
  gauge->SetMaxValue(50);
  EXPECT_EQ(gauge->Progress(), 50);
  EXPECT_EQ(gauge->PaintCount(), before + 1);

  gauge->SetProgress(20);
  before = gauge->PaintCount();
  gauge->SetMinValue(30);
  EXPECT_EQ(gauge->Progress(), 30);
  EXPECT_EQ(gauge->PaintCount(), before + 1);

  gauge->SetMinValue(0);
  EXPECT_EQ(gauge->Progress(), 30);  // a bound moving away leaves it alone
}

TEST(GaugeState, EqualBoundsGiveZeroPercent) {
  TGauge gauge;
  gauge.SetMinValue(5);
  gauge.SetMaxValue(5);
  EXPECT_EQ(gauge.MinValue(), 5);
  EXPECT_EQ(gauge.MaxValue(), 5);
  EXPECT_EQ(gauge.Progress(), 5);
  EXPECT_EQ(gauge.Percentage(), 0);
  gauge.SetProgress(99);
  EXPECT_EQ(gauge.Progress(), 5);
}

TEST(GaugeState, CrossingBoundsRaiseAndChangeNothing) {
  struct Case {
    const char* name;
    int min, max;
    bool setMin;
    int value;
    const char* message;
  };
  const Case cases[] = {
      {"min above default max", 0, 100, true, 101, "La valeur doit être comprise entre -2147483647 et 99"},
      {"max below default min", 0, 100, false, -1, "La valeur doit être comprise entre 1 et 2147483647"},
      {"min above max 20", 10, 20, true, 30, "La valeur doit être comprise entre -2147483647 et 19"},
      {"max below min 10", 10, 20, false, 5, "La valeur doit être comprise entre 11 et 2147483647"},
  };
  for (const Case& c : cases) {
    auto gauge = ShownGauge();
    gauge->SetMaxValue(c.max);
    gauge->SetMinValue(c.min);
    gauge->SetProgress(15);
    const int progress = gauge->Progress();
    const int paints = gauge->PaintCount();
    try {
      if (c.setMin)
        gauge->SetMinValue(c.value);
      else
        gauge->SetMaxValue(c.value);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const EInvalidOperation& e) {
      EXPECT_EQ(e.Message(), c.message) << c.name;
    }
    EXPECT_EQ(gauge->MinValue(), c.min) << c.name;
    EXPECT_EQ(gauge->MaxValue(), c.max) << c.name;
    EXPECT_EQ(gauge->Progress(), progress) << c.name;
    EXPECT_EQ(gauge->PaintCount(), paints) << c.name;
  }
}

TEST(GaugeState, LoadingTakesBoundsInAnyOrder) {
  TGauge gauge;
  gauge.BeginLoading();
  EXPECT_TRUE(gauge.Loading());
  EXPECT_NO_THROW(gauge.SetMinValue(200));
  EXPECT_EQ(gauge.Progress(), 200);  // clamping still applies while loading
  EXPECT_NO_THROW(gauge.SetMaxValue(500));
  gauge.SetProgress(300);
  gauge.EndLoading();
  EXPECT_FALSE(gauge.Loading());
  EXPECT_EQ(gauge.MinValue(), 200);
  EXPECT_EQ(gauge.MaxValue(), 500);
  EXPECT_EQ(gauge.Progress(), 300);
  EXPECT_EQ(gauge.Percentage(), 33);
  EXPECT_THROW(gauge.SetMaxValue(100), EInvalidOperation);  // checks are back on
}

TEST(GaugeState, LoadingNests) {
  TGauge gauge;
  gauge.BeginLoading();
  gauge.BeginLoading();
  gauge.EndLoading();
  EXPECT_NO_THROW(gauge.SetMinValue(150));
  gauge.EndLoading();
  gauge.EndLoading();  // unbalanced end is harmless
  EXPECT_THROW(gauge.SetMinValue(1000), EInvalidOperation);
}

TEST(GaugeState, BoundsLeftCrossedByLoadingStillGiveAPercentageInRange) {
  TGauge gauge;
  gauge.BeginLoading();
  gauge.SetMinValue(200);  // the maximum stays 100
  gauge.EndLoading();
  EXPECT_GE(gauge.Percentage(), 0);
  EXPECT_LE(gauge.Percentage(), 100);
  EXPECT_FALSE(gauge.Paint().isNull());
}

TEST(GaugeState, CommandsDriveItThroughTheProgressInterface) {
  auto gauge = ShownGauge(343, 18);
  IProgressGauge& port = *gauge;
  port.SetMaxValue(4);
  const int before = gauge->PaintCount();
  port.SetProgress(2);
  EXPECT_EQ(port.Progress(), 2);
  EXPECT_EQ(port.MaxValue(), 4);
  EXPECT_EQ(gauge->Percentage(), 50);
  EXPECT_EQ(gauge->PaintCount(), before + 1);
  EXPECT_THROW(port.SetMaxValue(-1), EInvalidOperation);
}

}  // namespace
