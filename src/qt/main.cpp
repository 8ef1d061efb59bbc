// SPDX-License-Identifier: MIT
#include "core/argument_string.h"
#include "core/form1.h"
#include "core/unexpected_error.h"
#include "probe/linux/icmp_socket.h"
#include "probe/linux/probe_platform.h"
#include "probe/ping_ipv4.h"
#include "qt/guarded_application.h"
#include "qt/qt_form_services.h"
#include "qt/qt_form_view.h"

#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>

int main(int argc, char** argv)
{
    using namespace orvane2;
    // First of all, before Qt reads the environment and loads plugins it names: open
    // the raw ICMP socket if one is needed, and give up every capability.
    const EchoPrivilege privilege;
    if (!privilege.Dropped()) {
        std::fputs("orvane2: could not give up the process's capabilities\n", stderr);
        return 1;
    }
    const std::string argumentString = ArgumentString(argc, argv);

    // Qt sees only the program name: the arguments are the configuration path and must
    // not be taken for Qt's own options (a file named "-style" is still a file).
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    GuardedApplication app(qtArgc, qtArgv);
    // The window hides to the tray and message boxes may outlive it on screen: the
    // program ends only through its own exit paths.
    QApplication::setQuitOnLastWindowClosed(false);
    // Names the tray item, and matches the window and the item to the menu entry.
    QApplication::setApplicationName(QString::fromUtf8(kProgramTitle));
    QGuiApplication::setDesktopFileName(QStringLiteral("orvane2"));
    // The program speaks Russian whatever the locale, and so do Qt's own dialogs and buttons.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    // What escapes start-up or an event is told once the window and its tray icon are gone.
    return RunToTheEnd(
        [&] {
            QtFormServices services;
            QtFormView view;
            Form1 form(services, view);
            view.Bind(form);
            form.Load(argumentString, [&privilege] {
                return std::make_unique<PingIPv4>(std::make_unique<LinuxProbePlatform>(privilege.RawSocket()));
            });
            view.show();
            return app.Exec();
        },
        ShowErrorBox);
}
