#pragma once
// The signals that ask a program to end (SIGTERM from a logout or a package upgrade, SIGHUP
// from a closed terminal, SIGINT from Ctrl+C), delivered as an ordinary event: the handler
// only writes to a pipe, and the callback runs later from the event loop.

#include <functional>
#include <memory>

class QSocketNotifier;

namespace orv {

class TerminationSignals {
  public:
    /// Catches the signals from now on; `ending` is called with the signal's number.
    explicit TerminationSignals(std::function<void(int signal)> ending);
    ~TerminationSignals();  // the signals' default actions are back
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

  private:
    std::function<void(int)> ending_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace orv
