// SPDX-License-Identifier: MIT
#include "qt/program_icon.h"

#include <QIconEngine>
#include <QPainter>
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

namespace {

// Draws the program's icon and the mark over it (none for an invalid colour) at whatever
// size is asked for, so that the mark stays sharp and in proportion at every size and scale.
class MarkedIconEngine final : public QIconEngine {
public:
    MarkedIconEngine(QIcon base, QColor color) : base_(std::move(base)), color_(color) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        base_.paint(painter, rect, Qt::AlignCenter, mode, state);
        if (!color_.isValid())
            return;
        const int side = std::min(rect.width(), rect.height());
        const qreal diameter = side * 0.55;
        const qreal ring = std::max(1.0, side / 16.0);
        const QRectF disc(rect.right() + 1 - diameter, rect.bottom() + 1 - diameter, diameter, diameter);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(Qt::white);  // a ring that sets the mark off from any panel
        painter->drawEllipse(disc);
        painter->setBrush(color_);
        painter->drawEllipse(disc.adjusted(ring, ring, -ring, -ring));
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
    QIconEngine* clone() const override { return new MarkedIconEngine(base_, color_); }
    // The sizes a tray may take as they are (a StatusNotifierItem host is sent each of
    // them up to 64 px): any other size is drawn on demand.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {QSize(16, 16), QSize(22, 22), QSize(24, 24), QSize(32, 32), QSize(48, 48), QSize(64, 64)};
    }

private:
    QIcon base_;
    QColor color_;
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
    const QColor color = mark == TrayMark::SomeSilent  ? QColor(230, 20, 20)
                         : mark == TrayMark::AllAnswer ? QColor(40, 200, 60)
                                                       : QColor();
    return QIcon(new MarkedIconEngine(ProgramIcon(), color));
}

}  // namespace orvane2
