#pragma once
// Telling the user that a picture could not be opened, and why.

#include <QString>

namespace orv {

class Desktop;
class OpenAttempt;

/// When no loader produced a picture during `attempt`, shows "Cannot open <file>: <reason>."
/// in a message box, every time it happens (inside a TellEachFailureOnce, once).
void ReportOpenFailure(Desktop& desktop, const QString& path, const OpenAttempt& attempt);

/// A file name as a message shows it: a long one shortened to its start, an ellipsis and its
/// end; line breaks and other control characters as a replacement character.
QString ShownName(const QString& name);

/// While one lives, a failure told during its life is not told again however long the box
/// stayed open or the second open took: for the start-up open, which runs twice in a row.
class TellEachFailureOnce {
  public:
    TellEachFailureOnce();
    ~TellEachFailureOnce();
    TellEachFailureOnce(const TellEachFailureOnce&) = delete;
    TellEachFailureOnce& operator=(const TellEachFailureOnce&) = delete;
};

}  // namespace orv
