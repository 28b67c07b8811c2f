#include "Ticker.h"

namespace {

class TInertTicker : public TTicker {
 public:
  void SetInterval(int milliseconds) override { interval_ = milliseconds; }
  int Interval() const override { return interval_; }
  void Start() override { active_ = interval_ > 0; }
  void Stop() override { active_ = false; }
  bool IsActive() const override { return active_; }

 private:
  int interval_ = 0;
  bool active_ = false;
};

std::unique_ptr<TTicker> MakeInertTicker(std::function<void()>) { return std::make_unique<TInertTicker>(); }

TTickerMaker& InstalledMaker() {
  static TTickerMaker maker = MakeInertTicker;
  return maker;
}

}  // namespace

std::unique_ptr<TTicker> MakeTicker(std::function<void()> onTick) { return InstalledMaker()(std::move(onTick)); }

void SetTickerMaker(TTickerMaker maker) { InstalledMaker() = maker != nullptr ? maker : MakeInertTicker; }
