#pragma once
// The program's folder for what it keeps between runs on its own behalf: the markup journal
// and the old bytes of a file being overwritten in place. It is $XDG_STATE_HOME/orvane, or
// ~/.local/state/orvane when that is not set, private to the user.

#include <string>

namespace orv {

/// The state folder's path, made (with its parents, mode 0700) when missing; empty when there
/// is no home to put it in.
std::string StateFolder();

/// Whether a process of this id runs now (one of another user counts as running).
bool ProcessRunning(long pid);

}  // namespace orv
