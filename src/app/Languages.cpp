#include "app/Languages.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace orv {

bool UseLanguage(const QLocale& locale) {
    static std::unique_ptr<QTranslator> own, qt;
    for (auto* t : {own.get(), qt.get()})
        if (t) QCoreApplication::removeTranslator(t);
    own = std::make_unique<QTranslator>();
    qt = std::make_unique<QTranslator>();
    // QLocale("C") asks for nothing: the texts stay as they are.
    if (locale.language() == QLocale::C) return false;
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt.get());
    // The program's Chinese tooltips are read in Chinese only; every other language reads
    // them in English, the language of the rest of its texts.
    const QLocale texts =
        locale.language() == QLocale::Chinese ? locale : QLocale(QLocale::English);
    if (!own->load(texts, QStringLiteral("orvane"), QStringLiteral("_"), QStringLiteral(":/i18n")))
        return false;
    QCoreApplication::installTranslator(own.get());
    return true;
}

}  // namespace orv
