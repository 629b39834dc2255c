#pragma once
// clsWaitableTimer: pauses the caller for a number of milliseconds while
// events keep flowing, so the screen repaints and the user can act meanwhile.

#include <QString>
#include <QTime>

#include "platform/Controls.h"

namespace orv {

class Desktop;

/// A failure of Wait, its description prefixed with "[clsWaitableTimer.Wait]".
struct WaitError : RecoverableError {
    using RecoverableError::RecoverableError;
};

class clsWaitableTimer {
  public:
    explicit clsWaitableTimer(Desktop& desktop) : desktop_(desktop) {}
    /// Waits MilliSeconds (1 to 214748) with events flowing. A wait started
    /// while another runs on this object (from an event handled inside the
    /// first) runs as a wait of its own; the first resumes when it ends.
    void Wait(int MilliSeconds);
    /// The timer name: executable base name + "Timer" + minutes and seconds "NNSS".
    static QString TimerName(const QString& exeBaseName, const QTime& now);
    /// Waits in progress on this object (0 when idle).
    int Depth() const { return depth_; }

  private:
    Desktop& desktop_;
    int depth_ = 0;
};

}  // namespace orv
