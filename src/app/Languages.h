#pragma once
// The user's language: the program's translation (built into the program)
// and Qt's own (its dialogs' buttons), chosen from a locale. Chinese locales
// take the Chinese translation; every other language the English one, which
// puts only the program's Chinese texts into English. Under the C locale the
// texts stay as written.

#include <QLocale>

namespace orv {

/// Installs the translations for locale in place of earlier ones; true when
/// the program has one of its own for it.
bool UseLanguage(const QLocale& locale);

}  // namespace orv
