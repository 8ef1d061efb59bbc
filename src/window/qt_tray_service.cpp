#include "window/qt_tray_service.h"

namespace orvane2 {

bool QtTrayService::Available() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayService::Add(const QIcon& icon, const QString& toolTip)
{
    icon_ = std::make_unique<QSystemTrayIcon>(icon);
    icon_->setToolTip(toolTip);
    QObject::connect(icon_.get(), &QSystemTrayIcon::activated, icon_.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) { Notify(CodeFor(reason)); });
    icon_->show();
}

void QtTrayService::Delete()
{
    if (!icon_)
        return;
    icon_->hide();
    // The icon may be the sender of the click that led here: let the event loop delete it.
    icon_.release()->deleteLater();
}

int QtTrayService::CodeFor(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::DoubleClick:
        return kLeftButtonUp;
    case QSystemTrayIcon::Context:
        return kRightButtonUp;
    case QSystemTrayIcon::MiddleClick:
        return kMiddleButtonUp;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return 0;
}

}  // namespace orvane2
