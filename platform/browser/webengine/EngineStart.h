#pragma once
// What the program sets up around the engine's start: the language of Qt's
// and the engine's own words.

class QLocale;
class QObject;

namespace tk {

// Qt's own words, the engine's among them (the page's context menu, the
// buttons of Qt's dialogs), in the language of locale, from the translations
// installed with Qt, for as long as owner lives. Missing ones leave English.
// The program's own captions are its own and stay as they are.
void installQtTranslations(const QLocale &locale, QObject *owner);

} // namespace tk
