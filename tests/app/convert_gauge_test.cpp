// The halving driving the real gauge, shown off screen: what the user sees.

#include <gtest/gtest.h>

#include <QtTest/QTest>
#include <numeric>
#include <vector>

#include "Gauges.h"
#include "HalveSampleRate.h"
#include "convert_support.h"

namespace {

// The real gauge, noting the percentage each paint shows.
class PercentageRecordingGauge : public TGauge {
 public:
  std::vector<int> painted;

 protected:
  void paintEvent(QPaintEvent* event) override {
    painted.push_back(Percentage());
    TGauge::paintEvent(event);
  }
};

// A small file read in blocks of a few passes and a large one read in 64 KiB
// blocks: either way the bar passes through every whole percentage once, at
// most 101 paints whatever the file's size.
TEST(HalvingOnTheGauge, PaintsEveryWholePercentageOnceInOrder) {
  for (size_t size : {size_t{3207}, size_t{3 * 1024 * 1024 + 6}}) {
    SCOPED_TRACE(size);
    TempDir dir;
    ASSERT_NO_THROW(WriteFile(dir / "in.wav", WavBytes(44100, Pattern(size))));
    PercentageRecordingGauge gauge;
    gauge.resize(343, 18);
    gauge.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&gauge));
    gauge.painted.clear();
    bool ok = false;
    HalveSampleRate(dir / "in.wav", dir / "out.raw", gauge, ok);
    ASSERT_TRUE(ok);
    std::vector<int> everyPercentage(101);
    std::iota(everyPercentage.begin(), everyPercentage.end(), 0);
    EXPECT_EQ(gauge.painted, everyPercentage);
  }
}

}  // namespace
