#include "platform/WaitableTimer.h"

#include "platform/Desktop.h"

namespace orv {

QString clsWaitableTimer::TimerName(const QString& exeBaseName, const QTime& now) {
    return exeBaseName + QStringLiteral("Timer") + now.toString(QStringLiteral("mmss"));
}

void clsWaitableTimer::Wait(int MilliSeconds) {
    // The due time is MilliSeconds x 10 000 in 100 ns units, exact only below 2^31.
    if (MilliSeconds < 1 || MilliSeconds > 214748)
        throw WaitError("[clsWaitableTimer.Wait]Invalid procedure call or argument");
    const QString name = TimerName(desktop_.ExecutableBaseName(), QTime::currentTime());
    ++depth_;
    try {
        desktop_.Wait(MilliSeconds, name);
    } catch (const std::exception& e) {
        --depth_;
        throw WaitError(std::string("[clsWaitableTimer.Wait]") + e.what());
    }
    --depth_;
}

}  // namespace orv
