#include "platform/StateFolder.h"

#include <cerrno>
#include <cstdlib>

#include <signal.h>
#include <sys/stat.h>

namespace orv {

namespace {

void MakeFolders(const std::string& path) {
    for (std::size_t at = 1; at <= path.size(); ++at) {
        if (at == path.size() || path[at] == '/') (void)::mkdir(path.substr(0, at).c_str(), 0700);
    }
}

}  // namespace

std::string StateFolder() {
    std::string base;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && state[0] == '/') {
        base = state;
    } else if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
        base = std::string(home) + "/.local/state";
    } else {
        return {};
    }
    const std::string folder = base + "/orvane";
    MakeFolders(folder);
    return folder;
}

bool ProcessRunning(long pid) {
    if (pid <= 0) return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

}  // namespace orv
