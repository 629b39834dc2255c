#pragma once
// A toolkit timer as an object: Enabled, Interval and a Tick handler. The
// running program drives it with a QTimer; tests call Tick directly.

#include <QObject>
#include <functional>
#include <memory>

class QTimer;

namespace orv {

class Timer {
  public:
    explicit Timer(int intervalMs = 0, bool enabled = false);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    int Interval() const { return interval_; }
    void SetInterval(int ms);

    /// The tick handler.
    std::function<void()> Tick;
    /// Runs after every tick delivered by the event loop (the windows resync).
    static std::function<void()>& AfterTick();

  private:
    void Arm();
    bool enabled_;
    int interval_;
    std::unique_ptr<QTimer> qt_;
};

}  // namespace orv
