#pragma once
// The program's texts stay in its models as they are (the source texts);
// where a text reaches the screen (menus, tooltips, message boxes, the tray
// tip) it goes through Qt's translation system, so the user's language
// applies. Texts without a translation, such as measured values, pass
// through unchanged.

#include <QCoreApplication>
#include <QString>

namespace orv {

/// The translation context of every text of the program.
inline constexpr char kTextContext[] = "orvane";

inline QString Tr(const QString& source) {
    if (source.isEmpty()) return source;
    return QCoreApplication::translate(kTextContext, source.toUtf8().constData());
}

}  // namespace orv
