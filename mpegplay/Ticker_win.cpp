#include <map>
#include <mutex>

#include "Ticker.h"
#include "Win32_win.h"

namespace {

class TWinTicker;

// The system calls a thread timer's procedure with the timer's id only.
std::map<UINT_PTR, TWinTicker*>& Tickers() {
  static std::map<UINT_PTR, TWinTicker*> tickers;
  return tickers;
}

class TWinTicker : public TTicker {
 public:
  explicit TWinTicker(std::function<void()> onTick) : onTick_(std::move(onTick)) {}
  ~TWinTicker() override { Stop(); }
  void SetInterval(int milliseconds) override {
    interval_ = milliseconds;
    if (id_ != 0) {
      Stop();
      Start();
    }
  }
  int Interval() const override { return interval_; }
  void Start() override {
    if (interval_ <= 0 || id_ != 0) return;
    id_ = SetTimer(nullptr, 0, static_cast<UINT>(interval_), &TWinTicker::OnTimer);
    if (id_ != 0) Tickers()[id_] = this;
  }
  void Stop() override {
    if (id_ == 0) return;
    KillTimer(nullptr, id_);
    Tickers().erase(id_);
    id_ = 0;
  }
  bool IsActive() const override { return id_ != 0; }

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    const auto it = Tickers().find(id);
    if (it != Tickers().end()) it->second->onTick_();
  }

  std::function<void()> onTick_;
  int interval_ = 0;
  UINT_PTR id_ = 0;
};

}  // namespace

std::unique_ptr<TTicker> MakeEventLoopTicker(std::function<void()> onTick) {
  return std::make_unique<TWinTicker>(std::move(onTick));
}
