#pragma once

#include "core/startup.h"
#include "window/form_services.h"
#include "window/form_state.h"

#include <QAction>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QWidget>
#include <vector>

namespace orvane2 {

inline const QString kWindowCaption = QString::fromUtf8("Монитор узлов");

// The program's one window: a column of group boxes with one label per host, the
// status line under them, the check timer, the open-file dialog and the menu.
class Form1 : public QWidget {
    Q_OBJECT

public:
    explicit Form1(FormServices& services);
    ~Form1() override;

    // Runs the load sequence on the argument string, then puts the board's widgets in
    // place. Timer1 starts only when loading has finished.
    void Load(const QString& argumentString, StartupHooks hooks = {});

    const FormState& State() const { return state_; }
    FormState& State() { return state_; }
    QGroupBox* Frame1(int index) const { return frames_.at(index); }
    QLabel* Label1(int index) const { return labels_.at(index); }
    int FrameCount() const { return static_cast<int>(frames_.size()); }
    int LabelCount() const { return static_cast<int>(labels_.size()); }

    QLabel* StatusString = nullptr;
    QTimer Timer1;
    QFileDialog* CommonDialog1 = nullptr;
    QMenu* menu = nullptr;
    QAction* showhide = nullptr;
    QAction* changeconfig = nullptr;
    QAction* exit = nullptr;

protected:
    void moveEvent(QMoveEvent* event) override;

private:
    void BuildBoard();
    void FitOuterHeight();

    FormServices& services_;
    FormState state_;
    std::vector<QGroupBox*> frames_;
    std::vector<QLabel*> labels_;
    int fittedDecoration_ = -1;
};

}  // namespace orvane2
