#include <QTimer>

#include "Ticker.h"

namespace {

class TQtTicker : public TTicker {
 public:
  explicit TQtTicker(std::function<void()> onTick) { QObject::connect(&timer_, &QTimer::timeout, std::move(onTick)); }
  void SetInterval(int milliseconds) override { timer_.setInterval(milliseconds); }
  int Interval() const override { return timer_.interval(); }
  // Qt would tick an interval of 0 on every pass of the event loop.
  void Start() override {
    if (timer_.interval() > 0) timer_.start();
  }
  void Stop() override { timer_.stop(); }
  bool IsActive() const override { return timer_.isActive(); }

 private:
  QTimer timer_;
};

}  // namespace

std::unique_ptr<TTicker> MakeEventLoopTicker(std::function<void()> onTick) {
  return std::make_unique<TQtTicker>(std::move(onTick));
}
