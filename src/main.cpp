#include "core/argument_string.h"
#include "window/form1.h"
#include "window/qt_form_services.h"

#include <QApplication>

int main(int argc, char** argv)
{
    using namespace orvane2;
    const QString argumentString = ArgumentString(argc, argv);

    // Qt sees only the program name: the arguments are the configuration path and must
    // not be taken for Qt's own options (a file named "-style" is still a file).
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);

    QtFormServices services;
    Form1 form(services);
    form.Load(argumentString);
    form.show();
    return QApplication::exec();
}
