#pragma once
// A toolkit timer as an object: Enabled, Interval and a Tick handler. The
// running program drives it with a QTimer; tests call Tick directly.

#include <QObject>
#include <functional>
#include <memory>

class QTimer;

namespace orv {

class Control;

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
    /// The one control (with all it holds) the tick handler changes, where it changes nothing
    /// else: after such a tick only that control is looked at again, so a tick costs the same
    /// however many other controls the window holds.
    const Control* Touches = nullptr;
    /// Runs instead of AfterTick after a tick of a timer that names what it touches.
    static std::function<void(const Control&)>& AfterTickOf();

  private:
    void Arm();
    bool enabled_;
    int interval_;
    std::unique_ptr<QTimer> qt_;
};

}  // namespace orv
