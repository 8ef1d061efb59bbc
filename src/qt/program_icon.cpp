// SPDX-License-Identifier: MIT
#include "qt/program_icon.h"

#include <QSize>
#include <QString>

// Registers the images of icons.qrc. The resource is compiled into a static library, and
// without a reference to it the linker would leave its object file out. Q_INIT_RESOURCE
// declares the registering function where it stands, so it must be used outside any
// namespace; registering twice is harmless.
static void RegisterIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace orvane2 {

QIcon ProgramIcon()
{
    RegisterIconResources();
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/radar-48.png"), QSize(48, 48));
    icon.addFile(QStringLiteral(":/icons/radar-16.png"), QSize(16, 16));
    return icon;
}

}  // namespace orvane2
