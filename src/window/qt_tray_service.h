#pragma once

#include "window/tray_service.h"

#include <QSystemTrayIcon>
#include <memory>

namespace orvane2 {

// The tray icon on QSystemTrayIcon, which serves both StatusNotifierItem hosts and
// XEmbed trays. Qt reports a left click as Trigger and the second click of a double
// click as DoubleClick: both are a left button released over the icon.
class QtTrayService final : public TrayService {
public:
    bool Available() const override;
    void Add(const QIcon& icon, const QString& toolTip) override;
    void Delete() override;

    static int CodeFor(QSystemTrayIcon::ActivationReason reason);

private:
    std::unique_ptr<QSystemTrayIcon> icon_;
};

}  // namespace orvane2
