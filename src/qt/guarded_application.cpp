// SPDX-License-Identifier: MIT
#include "qt/guarded_application.h"

#include "core/unexpected_error.h"

#include <QMessageBox>
#include <utility>

namespace orvane2 {

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        if (!caught_)
            caught_ = std::current_exception();
        // Before Exec the loops of modal boxes are let run out: leaving them would make
        // Qt leave the next loop too, the error box's among them, as soon as it starts.
        if (inExec_)
            QCoreApplication::exit(kUnexpectedErrorExit);
        return true;
    }
}

int GuardedApplication::Exec()
{
    int status = kUnexpectedErrorExit;
    if (!caught_) {
        inExec_ = true;
        status = QApplication::exec();
        inExec_ = false;
    }
    if (caught_)
        std::rethrow_exception(std::exchange(caught_, nullptr));
    return status;
}

void ShowErrorBox(const std::string& description, const std::string& title)
{
    QMessageBox box(QMessageBox::Information, QString::fromStdString(title), QString::fromStdString(description),
                    QMessageBox::Ok);
    box.exec();
}

}  // namespace orvane2
