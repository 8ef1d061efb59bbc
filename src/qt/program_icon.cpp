// SPDX-License-Identifier: MIT
#include "qt/program_icon.h"

#include "core/tray_mark.h"

#include <QIconEngine>
#include <QPainter>
#include <QSize>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <optional>

// Registers the images of icons.qrc. The resource is compiled into a static library, and
// without a reference to it the linker would leave its object file out. Q_INIT_RESOURCE
// declares the registering function where it stands, so it must be used outside any
// namespace; registering twice is harmless.
static void RegisterIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace orvane2 {

namespace {

QColor Rgb(std::uint32_t rgb)
{
    return QColor(static_cast<QRgb>(rgb));  // opaque
}

// Draws the program's icon and the mark over it, as MarkFor places and colours it, at
// whatever size is asked for, so that the mark stays sharp and in proportion at every
// size and scale.
class MarkedIconEngine final : public QIconEngine {
public:
    MarkedIconEngine(QIcon base, TrayMark mark) : base_(std::move(base)), mark_(mark) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        base_.paint(painter, rect, Qt::AlignCenter, mode, state);
        const int side = std::min(rect.width(), rect.height());
        const std::optional<MarkGeometry> mark = MarkFor(mark_, side);
        if (!mark)
            return;
        // The icon's square lies in the lower right corner of the rectangle.
        const QPointF centre(rect.right() + 1 - side + mark->centreX, rect.bottom() + 1 - side + mark->centreY);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(Rgb(mark->ringRgb));
        painter->drawEllipse(centre, mark->outerRadius, mark->outerRadius);
        painter->setBrush(Rgb(mark->markRgb));
        painter->drawEllipse(centre, mark->innerRadius, mark->innerRadius);
        painter->restore();
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }
    // Qt asks for HiDPI pixmaps here: up to Qt 6.7 with the size in device pixels, from
    // 6.8 on in device-independent ones.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        QPixmap scaled = pixmap(size * scale, mode, state);
#else
        QPixmap scaled = pixmap(size, mode, state);
#endif
        scaled.setDevicePixelRatio(scale);
        return scaled;
    }
    QIconEngine* clone() const override
    {
        return new MarkedIconEngine(base_, mark_);
    }
    // The sizes a tray may take as they are (a StatusNotifierItem host is sent each of
    // them up to 64 px): any other size is drawn on demand.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {QSize(16, 16), QSize(22, 22), QSize(24, 24), QSize(32, 32), QSize(48, 48), QSize(64, 64)};
    }

private:
    QIcon base_;
    TrayMark mark_;
};

}  // namespace

QIcon ProgramIcon()
{
    RegisterIconResources();
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/radar-48.png"), QSize(48, 48));
    icon.addFile(QStringLiteral(":/icons/radar-16.png"), QSize(16, 16));
    return icon;
}

QIcon MarkedIcon(TrayMark mark)
{
    return QIcon(new MarkedIconEngine(ProgramIcon(), mark));
}

}  // namespace orvane2
