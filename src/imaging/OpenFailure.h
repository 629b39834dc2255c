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

/// A file name as a message shows it: a long one shortened to its start, an ellipsis and its
/// end; line breaks and other control characters as a replacement character.
QString ShownName(const QString& name);

/// While one lives, a failure just told is not told again however long the first box
/// stayed open or the second open took: the start-up open, which runs twice in a row.
class TellEachFailureOnce {
  public:
    TellEachFailureOnce();
    ~TellEachFailureOnce();
    TellEachFailureOnce(const TellEachFailureOnce&) = delete;
    TellEachFailureOnce& operator=(const TellEachFailureOnce&) = delete;
};

}  // namespace orv
