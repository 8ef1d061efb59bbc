// SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>
#include <exception>
#include <string>

namespace orvane2 {

// The program's Qt application. Whatever our code runs from, Qt calls it through notify
// (events, timers, the socket notifier of posted tasks, signals emitted while an event is
// handled); an exception is not let through Qt's event loop, which is no place for it:
// the first is kept, every running event loop is left, and Exec throws it again.
class GuardedApplication final : public QApplication {
public:
    GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    bool notify(QObject* receiver, QEvent* event) override;
    // Runs the event loop until the program ends it, and returns its exit code; what an
    // event handler threw meanwhile (or before, from a loop of its own) is thrown again.
    int Exec();

private:
    std::exception_ptr caught_;
    bool inExec_ = false;
};

// Tells an error in a modal box with the information icon, for RunToTheEnd.
void ShowErrorBox(const std::string& description, const std::string& title);

}  // namespace orvane2
