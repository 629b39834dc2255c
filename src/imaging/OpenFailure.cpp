#include "imaging/OpenFailure.h"

#include <QFileInfo>

#include "imaging/io/DecodedPictures.h"
#include "platform/Desktop.h"
#include "platform/PathBytes.h"

namespace orv {

namespace {
int tellOnceDepth = 0;  ///< open TellEachFailureOnce scopes
QString toldInScope;    ///< the failure last told while a scope was open
}  // namespace

QString ShownName(const QString& name) {
    // Control characters would break the box's lines; a long name would take minutes to lay
    // out. The start and end of a name are what tell it apart.
    constexpr qsizetype kHead = 80, kTail = 40;
    QString shown = name.size() > kHead + kTail + 1
                        ? name.left(kHead) + QChar(0x2026) + name.right(kTail)
                        : name;
    // The bytes of a name that are not UTF-8 (and a pair cut in two) show as U+FFFD.
    shown = ShownPath(shown);
    for (QChar& c : shown)
        if (c.category() == QChar::Other_Control) c = QChar(0xfffd);
    return shown;
}

TellEachFailureOnce::TellEachFailureOnce() {
    // Only what this scope's own opens tell is folded: a failure told before it began is
    // told again.
    if (tellOnceDepth++ == 0) toldInScope.clear();
}
TellEachFailureOnce::~TellEachFailureOnce() {
    if (--tellOnceDepth == 0) toldInScope.clear();
}

void ReportOpenFailure(Desktop& desktop, const QString& path, const OpenAttempt& attempt) {
    if (attempt.Opened()) return;
    const QString reason = attempt.Reason().isEmpty()
                               ? QStringLiteral("it is not a picture this program opens")
                               : attempt.Reason();
    const QString name = QFileInfo(path).fileName().isEmpty() ? path : QFileInfo(path).fileName();
    const QString text = QStringLiteral("Cannot open %1: %2.").arg(ShownName(name), reason);
    if (tellOnceDepth > 0) {
        if (text == toldInScope) return;
        toldInScope = text;
    }
    desktop.MessageBox(text, QStringLiteral("Orvane Tessaly"), MessageIcon::None);
}

}  // namespace orv
