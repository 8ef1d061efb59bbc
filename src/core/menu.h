// SPDX-License-Identifier: MIT
#pragma once

#include <array>

namespace orvane2 {

// What an item of the program's menu does; Form1::RunMenuCommand carries it out.
enum class MenuCommand { ShowHide, Journal, ChangeConfig, Exit };

struct MenuItem {
    const char* caption;
    MenuCommand command;
};

// The caption of the menu in a menu bar, and of the tray's popup menu.
inline constexpr const char* kMenuCaption = "Меню";

// The program's one menu, in the order it is shown: the tray icon's popup menu, the
// StatusNotifierItem's exported menu and the window's menu bar are all built from it.
inline constexpr std::array kMenuItems{
    MenuItem{"Показать/скрыть в трей (ЛКМ)", MenuCommand::ShowHide},
    MenuItem{"Журнал", MenuCommand::Journal},
    MenuItem{"Сменить конфиг", MenuCommand::ChangeConfig},
    MenuItem{"Выход", MenuCommand::Exit},
};

}  // namespace orvane2
