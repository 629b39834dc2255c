#pragma once
// The old bytes of a file being overwritten in place (its folder forbids the temporary file a
// replace needs), kept in the state folder until the new bytes are on disk, so that a kill
// half-way leaves something to put back: the next start writes the old bytes back wherever
// the overwrite did not finish.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ReplacingFile.h"

namespace orv {

/// The folder of the kept copies: "in-place" in the state folder (empty without one).
std::string InPlaceBackupFolder();

/// Keeps `old`, the content of `target` before it is overwritten with `next`, synced to disk
/// in `folder`; `record` receives the kept copy's path, to be dropped once `next` is synced.
FileStatus KeepOldBytes(const std::string& folder, const std::string& target,
                        const std::vector<unsigned char>& old,
                        const std::vector<unsigned char>& next, std::string& record);
/// The overwrite finished (or was undone): the kept copy goes.
void DropOldBytes(const std::string& record);

/// Puts back the old bytes of every overwrite kept in `folder` whose process has ended and
/// whose target is not the complete new content; a copy whose target is the new content is
/// just dropped. Returns how many files were put back.
int RestoreUnfinishedInPlaceWrites(const std::string& folder);

}  // namespace orv
