#pragma once
// The user's language: the program's translation (built into the program)
// and Qt's own (its dialogs' buttons), chosen from a locale. Under the C
// locale, or a language without a translation, the texts stay as written.

#include <QLocale>

namespace orv {

/// Installs the translations for locale in place of earlier ones; true when
/// the program has one of its own for it.
bool UseLanguage(const QLocale& locale);

}  // namespace orv
