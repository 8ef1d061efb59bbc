#pragma once

#include "core/check_cycle.h"
#include "core/startup.h"
#include "window/form_services.h"
#include "window/form_state.h"
#include "window/tray_service.h"

#include <QAction>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

namespace orvane2 {

inline const QString kWindowCaption = QString::fromUtf8("Монитор узлов");
inline const QString kTrayToolTip = QString::fromUtf8("Монитор узлов активен");

// The modal steps of the window: opening the popup menu and asking for a file. Tests
// replace them; by default they are QMenu::exec and QFileDialog::exec.
struct FormDialogs {
    std::function<void(QMenu& menu, const QPoint& position)> popup;
    std::function<std::optional<QString>(QFileDialog& dialog)> chooseFile;
};

// The program's one window: a column of group boxes with one label per host, the
// status line under them, the check timer, the open-file dialog and the menu that the
// tray icon opens.
class Form1 : public QWidget, private BoardSurface {
    Q_OBJECT

public:
    Form1(FormServices& services, TrayService& tray, FormDialogs dialogs = {});
    ~Form1() override;

    // Runs the load sequence on the argument string and puts the board's widgets in
    // place; the tray icon is added last. Timer1 starts only when loading has finished.
    void Load(const QString& argumentString, std::function<std::unique_ptr<HostProbe>()> createProbe);

    // The tray icon's notifications arrive here as a horizontal position in twips
    // that carries the notification code.
    void Form_MouseMove(int Button, int Shift, float X, float Y);
    // Raised before the window unloads, whatever unloads it: removes the tray icon.
    void Form_QueryUnload();
    // 0 normal, 1 minimised, 2 maximised.
    int WindowState() const;

    const FormState& State() const { return state_; }
    QGroupBox* Frame1(int index) const { return frames_.at(index); }
    QLabel* Label1(int index) const { return labels_.at(index); }
    int FrameCount() const { return static_cast<int>(frames_.size()); }
    int LabelCount() const { return static_cast<int>(labels_.size()); }
    bool HasMenuBar() const { return menuBar_ != nullptr; }

    QLabel* StatusString = nullptr;
    QTimer Timer1;
    QFileDialog* CommonDialog1 = nullptr;
    QMenu* menu = nullptr;
    QAction* showhide = nullptr;
    QAction* changeconfig = nullptr;
    QAction* exit = nullptr;

public slots:
    void Timer1_Timer();
    void showhide_Click();
    void changeconfig_Click();
    void exit_Click();

protected:
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void AddIcon(const QString& ToolTip);
    void ToggleWindow();
    void PopupMenu();
    void ShowMenuBar();
    void ReportTrappedError(const std::exception& error);
    void BuildBoard();
    void FitOuterHeight();

    void StatusCaptionChanged() override;
    void LabelColorChanged(int index) override;

    FormServices& services_;
    TrayService& tray_;
    FormDialogs dialogs_;
    FormState state_;
    CheckCycle cycle_;
    QWidget* client_ = nullptr;  // holds the board; moves down when a menu bar is shown
    QMenuBar* menuBar_ = nullptr;
    std::vector<QGroupBox*> frames_;
    std::vector<QLabel*> labels_;
    int fittedDecoration_ = -1;
};

}  // namespace orvane2
