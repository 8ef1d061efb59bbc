// SPDX-License-Identifier: MIT
#pragma once

#include "core/board.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane2 {

// Texts of the window that every front end shows the same way.
inline constexpr const char* kWindowCaption = "Монитор узлов";
inline constexpr const char* kTrayToolTip = "Монитор узлов активен";
inline constexpr const char* kMenuCaption = "Меню";
inline constexpr const char* kShowHideCaption = "Показать/скрыть в трей (ЛКМ)";
inline constexpr const char* kChangeConfigCaption = "Сменить конфиг";
inline constexpr const char* kExitCaption = "Выход";

// Mouse message numbers that the tray icon's notifications carry: a button released
// over the icon.
inline constexpr int kLeftButtonUp = 514;
inline constexpr int kRightButtonUp = 517;
inline constexpr int kMiddleButtonUp = 520;

enum class WindowShowState { Normal = 0, Minimized = 1, Maximized = 2 };

// One filter of the open-file dialog: what the user reads, and the pattern it stands for.
struct FileFilter {
    std::string description;  // "Конфиги Монитора(*.cfg)"
    std::string pattern;      // "*.cfg"
};

struct OpenFileRequest {
    std::string title;
    std::vector<FileFilter> filters;
    std::string defaultExtension;  // without the dot
};

// What the window shows and asks, implemented by each desktop front end with its own
// widgets. The window's behaviour (Form1) decides; the view only draws and asks.
class FormView {
public:
    virtual ~FormView() = default;

    // The outer height, in twips, that a window may take on the screen it will show on
    // (the screen's area less the desktop's panels); nothing when not known.
    virtual std::optional<int> AvailableHeight() const = 0;
    // Creates the widgets of the board's group boxes and host labels (elements 1 and
    // up; element 0 of each array is the hidden template), moves the status line, and
    // fits the window's outer height to board.WindowHeight. Positions are in twips. With
    // board.Viewport set, the boxes and labels lie in a vertically scrolling area of
    // that size at the top of the window, which keeps them at their places on the board.
    virtual void PlaceBoard(const Board& board) = 0;
    // Host label index (1 and up) takes the colour 0x00BBGGRR.
    virtual void SetLabelColor(int index, std::uint32_t bgr) = 0;
    // Host label index (1 and up) tells its state in words, one fact a line: as the
    // label's tooltip and as its description to screen readers.
    virtual void SetLabelDescription(int index, const std::string& text) = 0;
    virtual void SetStatusCaption(const std::string& caption) = 0;

    virtual WindowShowState ShowState() const = 0;
    // Shown, neither minimised nor maximised.
    virtual void Restore() = 0;
    // Hidden from the screen and the task bar, and recorded as minimised.
    virtual void HideMinimized() = 0;
    // Minimised but left on the task bar.
    virtual void Minimize() = 0;

    // Opens the menu (show/hide, change configuration, exit) with its right edge at the
    // mouse pointer. Its commands come back as Form1's *_Click handlers.
    virtual void OpenPopupMenu() = 0;
    // Offers the same menu in a menu bar on the window, for a desktop without a
    // notification area.
    virtual void ShowMenuBar() = 0;
    // Asks for an existing file; nothing when the user cancels.
    virtual std::optional<std::string> ChooseFile(const OpenFileRequest& request) = 0;

    // Adds the icon to the notification area; false when the desktop has none. Its
    // clicks come back through Form1::TrayNotification.
    virtual bool AddTrayIcon(const std::string& toolTip) = 0;
    // Removes the icon; does nothing when none was added.
    virtual void RemoveTrayIcon() = 0;

    // Starts the check timer, which calls Form1::Timer1_Timer every intervalMs.
    virtual void StartTimer(int intervalMs) = 0;
};

}  // namespace orvane2
