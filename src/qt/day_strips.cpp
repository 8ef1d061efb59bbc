// SPDX-License-Identifier: MIT
#include "qt/day_strips.h"

#include "core/check_cycle.h"

#include <QGridLayout>
#include <QPainter>
#include <cmath>

namespace orvane2 {

namespace {

QColor FromBgr(std::uint32_t bgr)
{
    return {static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF), static_cast<int>((bgr >> 16) & 0xFF)};
}

}  // namespace

StripBar::StripBar(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(120, 12);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void StripBar::SetStrip(DayStrip&& strip)
{
    stretches_ = std::move(strip.stretches);
    const QString title = QString::fromStdString(strip.title), figures = QString::fromStdString(strip.figures);
    // Screen readers hear of every change: only what changed goes out.
    if (accessibleName() != title)
        setAccessibleName(title);
    if (accessibleDescription() != figures) {
        setAccessibleDescription(figures);
        setToolTip(figures);
    }
    update();
}

// Stretches narrower than a pixel share their column; a column that holds any silence
// shows red, so that a short outage stays visible in a long day.
void StripBar::paintEvent(QPaintEvent* /*event*/)
{
    const int width = std::max(this->width(), 1);
    constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
    std::vector<std::uint32_t> columns(static_cast<std::size_t>(width), kEmpty);
    for (const StripStretch& s : stretches_) {
        const int from = std::clamp(static_cast<int>(std::floor(s.from * width)), 0, width - 1);
        const int to = std::clamp(static_cast<int>(std::ceil(s.to * width)), from + 1, width);
        for (int x = from; x < to; ++x) {
            std::uint32_t& column = columns[static_cast<std::size_t>(x)];
            if (column != kDeadColor)
                column = s.bgr;
        }
    }
    QPainter painter(this);
    for (int x = 0; x < width;) {
        int end = x + 1;
        while (end < width && columns[static_cast<std::size_t>(end)] == columns[static_cast<std::size_t>(x)])
            ++end;
        if (columns[static_cast<std::size_t>(x)] != kEmpty)
            painter.fillRect(x, 0, end - x, height(), FromBgr(columns[static_cast<std::size_t>(x)]));
        x = end;
    }
}

DayStrips::DayStrips(QWidget* parent) : QWidget(parent)
{
    auto* grid = new QGridLayout(this);
    grid->setColumnStretch(1, 1);
    grid->setVerticalSpacing(2);
    grid->setAlignment(Qt::AlignTop);
}

void DayStrips::Show(std::vector<DayStrip> strips)
{
    auto* grid = static_cast<QGridLayout*>(layout());
    while (rows_.size() < strips.size()) {
        const int at = static_cast<int>(rows_.size());
        Row row{new QLabel(this), new StripBar(this), new QLabel(this)};
        grid->addWidget(row.title, at, 0);
        grid->addWidget(row.bar, at, 1);
        grid->addWidget(row.figures, at, 2);
        rows_.push_back(row);
    }
    for (std::size_t i = 0; i < strips.size(); ++i) {
        const QString title = QString::fromStdString(strips[i].title);
        const QString figures = QString::fromStdString(strips[i].figures);
        if (rows_[i].title->text() != title)
            rows_[i].title->setText(title);
        if (rows_[i].figures->text() != figures)
            rows_[i].figures->setText(figures);
        rows_[i].bar->SetStrip(std::move(strips[i]));
    }
}

}  // namespace orvane2
