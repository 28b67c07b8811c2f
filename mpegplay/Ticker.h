#pragma once
// The player's position timer, behind a port: the window's event loop ticks
// it (a QTimer on Linux, a system timer of the thread's message queue on
// Windows). It ticks only while the owning thread runs its event loop. A
// program without an event loop (the command line) keeps the inert ticker,
// which holds its interval and state and never ticks.

#include <functional>
#include <memory>

class TTicker {
 public:
  virtual ~TTicker() = default;
  // Milliseconds; 0 means the ticker never ticks, also once started.
  virtual void SetInterval(int milliseconds) = 0;
  virtual int Interval() const = 0;
  virtual void Start() = 0;
  virtual void Stop() = 0;
  virtual bool IsActive() const = 0;
};

using TTickerMaker = std::unique_ptr<TTicker> (*)(std::function<void()> onTick);

// A stopped ticker that calls onTick on every tick, made by the maker the
// program installed (the inert one unless it installed another).
std::unique_ptr<TTicker> MakeTicker(std::function<void()> onTick);
// Installs the maker of every later MakeTicker; null gives the inert one back.
void SetTickerMaker(TTickerMaker maker);
// The event loop's own ticker: Ticker_qt.cpp on Linux, Ticker_win.cpp on
// Windows. The window installs it at start.
std::unique_ptr<TTicker> MakeEventLoopTicker(std::function<void()> onTick);
