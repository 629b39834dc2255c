#include "platform/Timer.h"

#include <QCoreApplication>
#include <QTimer>

namespace orv {

Timer::Timer(int intervalMs, bool enabled) : enabled_(enabled), interval_(intervalMs) {
    Arm();
}

Timer::~Timer() = default;

std::function<void(const Control&)>& Timer::AfterTickOf() {
    static std::function<void(const Control&)> after;
    return after;
}

std::function<void()>& Timer::AfterTick() {
    static std::function<void()> hook;
    return hook;
}

void Timer::SetEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    Arm();
}

void Timer::SetInterval(int ms) {
    interval_ = ms;
    Arm();
}

void Timer::Arm() {
    // Without an application object (plain unit tests) nothing drives the timer.
    if (!QCoreApplication::instance()) return;
    if (!qt_) {
        qt_ = std::make_unique<QTimer>();
        QObject::connect(qt_.get(), &QTimer::timeout, [this] {
            if (!enabled_) return;
            if (Tick) Tick();
            if (Touches && AfterTickOf())
                AfterTickOf()(*Touches);
            else if (AfterTick())
                AfterTick()();
        });
    }
    if (enabled_ && interval_ > 0)
        qt_->start(interval_);
    else
        qt_->stop();
}

}  // namespace orv
