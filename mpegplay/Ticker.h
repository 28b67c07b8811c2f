#pragma once
// The player's position timer, behind a port: the window's event loop ticks
// it (a QTimer on Linux, a system timer of the thread's message queue on
// Windows). It ticks only while the owning thread runs its event loop.

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

// A stopped ticker that calls onTick on every tick.
std::unique_ptr<TTicker> MakeTicker(std::function<void()> onTick);
