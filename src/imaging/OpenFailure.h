#pragma once
// Telling the user that a picture could not be opened, and why.

#include <QString>

namespace orv {

class Desktop;
class OpenAttempt;

/// When no loader produced a picture during `attempt`, shows "Cannot open <file>: <reason>."
/// in a message box. The same failure of the same file is told once: a second report of it
/// within two seconds of the first box closing (the start-up open runs twice) stays silent.
void ReportOpenFailure(Desktop& desktop, const QString& path, const OpenAttempt& attempt);

}  // namespace orv
