#pragma once
// The gauge of the command line: a one-line text bar, redrawn in place on a
// terminal whenever the whole-number percentage changes. Off a terminal it
// only keeps its values, so a log gets no bar characters.

#include <cstdio>

#include "CommandPorts.h"

class TTextGauge : public IProgressGauge {
 public:
  // terminal: where the bar is drawn, or null to draw nothing.
  explicit TTextGauge(std::FILE* terminal);

  // Progress is held inside 0..MaxValue. A negative maximum is taken as 0:
  // there is no lower bound to move, so nothing is refused.
  int Progress() const override { return progress_; }
  void SetProgress(int value) override;
  int MaxValue() const override { return maxValue_; }
  void SetMaxValue(int value) override;

  // (Progress * 100 / MaxValue), truncated; 0 for an empty range.
  int Percentage() const;
  // Takes the bar off its line, so that other text can be written there.
  void Erase();

  static constexpr int kBarWidth = 40;

 private:
  void Show();

  std::FILE* terminal_;
  int progress_ = 0;
  int maxValue_ = 100;
  int shown_ = -1;  // the percentage on screen, -1 when no bar is
};
