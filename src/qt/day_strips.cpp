// SPDX-License-Identifier: MIT
#include "qt/day_strips.h"

#include <QGridLayout>
#include <QPainter>
#include <QResizeEvent>
#include <cmath>

namespace orvane2 {

namespace {

// As wide as the figures of a host's day can be: every number at its widest.
constexpr const char* kWidestFigures =
    "отвечал: 100 % проверок, замолкал: 99999 раз, дольше всего молчал: 9999 ч 59 мин 59 с";

QColor FromBgr(std::uint32_t bgr)
{
    return {static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF), static_cast<int>((bgr >> 16) & 0xFF)};
}

}  // namespace

StripBar::StripBar(QWidget* parent, std::function<void()> resized) : QWidget(parent), resized_(std::move(resized))
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

// The core merged the stretches to one per column of this width at most, a column
// that holds any silence red; each is filled from its left edge to its right.
void StripBar::paintEvent(QPaintEvent* /*event*/)
{
    const double width = this->width();
    QPainter painter(this);
    for (const StripStretch& s : stretches_) {
        const auto from = static_cast<int>(std::lround(s.from * width));
        const auto to = static_cast<int>(std::lround(s.to * width));
        painter.fillRect(from, 0, std::max(to - from, 1), height(), FromBgr(s.bgr));
    }
}

void StripBar::resizeEvent(QResizeEvent* event)
{
    if (event->size().width() != event->oldSize().width() && resized_)
        resized_();
}

DayStrips::DayStrips(QWidget* parent, std::function<void()> barsResized)
    : QWidget(parent), barsResized_(std::move(barsResized))
{
    auto* grid = new QGridLayout(this);
    grid->setColumnStretch(1, 1);
    grid->setVerticalSpacing(2);
    grid->setAlignment(Qt::AlignTop);
}

std::size_t DayStrips::BarWidth() const
{
    return rows_.empty() ? 0 : static_cast<std::size_t>(std::max(rows_.front().bar->width(), 1));
}

void DayStrips::Show(std::vector<DayStrip> strips)
{
    auto* grid = static_cast<QGridLayout*>(layout());
    while (rows_.size() < strips.size()) {
        const int at = static_cast<int>(rows_.size());
        Row row{new QLabel(this), new StripBar(this, barsResized_), new QLabel(this)};
        // The figures change at every cycle. A label of a fixed size that changes its text
        // leaves the layout alone, so that a cycle costs no new layout of every row: the
        // size holds the longest figures there can be.
        row.figures->setFixedSize(row.figures->fontMetrics().horizontalAdvance(QString::fromUtf8(kWidestFigures)),
                                  row.figures->sizeHint().height());
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
