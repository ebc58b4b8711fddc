#pragma once
// What the program sets up around the engine's start: the language of Qt's
// and the engine's own words, and a quiet terminal.

class QLocale;
class QObject;

namespace tk {

// Qt's own words, the engine's among them (the page's context menu, the
// buttons of Qt's dialogs), in the language of locale, from the translations
// installed with Qt, for as long as owner lives. Missing ones leave English.
// The program's own captions are its own and stay as they are.
void installQtTranslations(const QLocale &locale, QObject *owner);

// The engine's start-up report (its version, flags and graphics) stays
// unprinted unless the user asks for it with QT_LOGGING_RULES (or
// QT_LOGGING_CONF). Before the engine starts.
void quietEngineStartReport();

// A page's own content (its text, links and controls) reaches a screen
// reader, which the engine leaves out on Linux unless asked; a value the
// user set stays. Before the engine starts.
void exposePagesToScreenReaders();

} // namespace tk
