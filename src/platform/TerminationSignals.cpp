#include "platform/TerminationSignals.h"

#include <QSocketNotifier>
#include <array>
#include <cerrno>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace orv {

namespace {

constexpr std::array<int, 3> kSignals{SIGTERM, SIGHUP, SIGINT};
int pipeEnds[2] = {-1, -1};

extern "C" void OnSignal(int signal) {
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    (void)!::write(pipeEnds[1], &number, 1);
    errno = saved;
}

void SetHandler(void (*handler)(int)) {
    for (const int s : kSignals) {
        struct sigaction action {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(s, &action, nullptr);
    }
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void(int)> ending)
    : ending_(std::move(ending)) {
    if (pipeEnds[0] < 0 && ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
        unsigned char number = 0;
        int last = 0;
        while (::read(pipeEnds[0], &number, 1) == 1) last = number;
        if (last != 0 && ending_) ending_(last);
    });
    SetHandler(OnSignal);
}

TerminationSignals::~TerminationSignals() {
    SetHandler(SIG_DFL);
}

}  // namespace orv
