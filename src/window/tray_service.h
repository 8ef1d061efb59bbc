#pragma once

#include <QIcon>
#include <QString>
#include <functional>

namespace orvane2 {

// Notification codes the window acts on: the mouse message numbers of a button
// released over the tray icon.
inline constexpr int kLeftButtonUp = 514;
inline constexpr int kRightButtonUp = 517;
inline constexpr int kMiddleButtonUp = 520;

// The desktop's notification area: one icon with a tooltip whose clicks come back as
// notification codes.
class TrayService {
public:
    virtual ~TrayService() = default;

    // Whether the desktop has a notification area to show the icon in.
    virtual bool Available() const = 0;
    virtual void Add(const QIcon& icon, const QString& toolTip) = 0;
    // Removes the icon; does nothing when none was added.
    virtual void Delete() = 0;

    // Called with the code of every click on the icon.
    void SetNotificationHandler(std::function<void(int code)> handler) { handler_ = std::move(handler); }

protected:
    void Notify(int code) const
    {
        if (handler_)
            handler_(code);
    }

private:
    std::function<void(int)> handler_;
};

}  // namespace orvane2
