#include "FormMenu.h"

FormMenu::FormMenu()
    : m_About(m_Menu.addItem(QStringLiteral("m_About"), QStringLiteral("关于"))),
      m_SpaceOne(m_Menu.addItem(QStringLiteral("m_SpaceOne"), QStringLiteral("-"))),
      m_OpenURL(m_Menu.addItem(QStringLiteral("m_OpenURL"), QStringLiteral("打开网址"))),
      m_Exit(m_Menu.addItem(QStringLiteral("m_Exit"), QStringLiteral("退出")))
{
    setCaption(QStringLiteral("FormMenu"));
    Move(150, 840, 1590, 240);
}
