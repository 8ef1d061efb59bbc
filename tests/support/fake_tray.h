#pragma once

#include "window/tray_service.h"

#include <QStringList>

namespace orvane2::testing {

// A notification area that records what the window did to it; Click() plays the role
// of the user clicking the icon.
class FakeTray final : public TrayService {
public:
    bool Available() const override { return available; }
    void Add(const QIcon& icon, const QString& toolTip) override
    {
        calls.append(QStringLiteral("Add ") + toolTip);
        iconWasNull = icon.isNull();
        present = true;
    }
    void Delete() override
    {
        calls.append(QStringLiteral("Delete"));
        present = false;
    }
    void Click(int code) const { Notify(code); }

    bool available = true;
    bool present = false;
    bool iconWasNull = true;
    QStringList calls;
};

}  // namespace orvane2::testing
