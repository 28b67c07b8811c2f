#include "TextGauge.h"

#include <algorithm>
#include <string>

#include "Terminal.h"

TTextGauge::TTextGauge(std::FILE* terminal) : terminal_(terminal) {}

int TTextGauge::Percentage() const {
  if (maxValue_ <= 0) return 0;
  return static_cast<int>(static_cast<long long>(progress_) * 100 / maxValue_);
}

void TTextGauge::SetProgress(int value) {
  progress_ = std::clamp(value, 0, maxValue_);
  Show();
}

void TTextGauge::SetMaxValue(int value) {
  maxValue_ = std::max(value, 0);
  progress_ = std::min(progress_, maxValue_);
  Show();
}

void TTextGauge::Show() {
  if (terminal_ == nullptr) return;
  const int percent = Percentage();
  if (percent == shown_) return;
  // Back at 0 the work is over (or not begun): no bar stays behind.
  if (percent == 0) {
    Erase();
    return;
  }
  const int filled = percent * kBarWidth / 100;
  std::string line = "\r[";
  line.append(static_cast<size_t>(filled), '#');
  line.append(static_cast<size_t>(kBarWidth - filled), '-');
  line += "] " + std::to_string(percent) + "%";
  PutText(line, terminal_);
  std::fflush(terminal_);
  shown_ = percent;
}

void TTextGauge::Erase() {
  if (terminal_ == nullptr || shown_ < 0) return;
  // "[" + bar + "] 100%"
  PutText("\r" + std::string(kBarWidth + 7, ' ') + "\r", terminal_);
  std::fflush(terminal_);
  shown_ = -1;
}
