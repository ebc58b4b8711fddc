#pragma once
// A form that is never shown: it owns the menu the tray icon pops up, and
// the commands of its items.

#include "toolkit/Form.h"
#include "toolkit/Menu.h"

namespace tavrin {

class FormMenu : public tk::Form {
public:
    FormMenu();

    void Form_Load() override;
    void m_About_Click();
    void m_OpenURL_Click();
    void m_Exit_Click();

    tk::Menu m_Menu{QStringLiteral("m_Menu"), QStringLiteral("m_Menu")};
    tk::Menu &m_About;
    tk::Menu &m_SpaceOne;
    tk::Menu &m_OpenURL;
    tk::Menu &m_Exit;
};

} // namespace tavrin
