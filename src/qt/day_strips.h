// SPDX-License-Identifier: MIT
#pragma once

#include "core/journal.h"

#include <QLabel>
#include <QWidget>
#include <functional>
#include <vector>

namespace orvane2 {

// One host's last 24 hours as a bar in the board's colours, its stretches already merged
// to its width in pixels; screen readers get its title as its name and its figures as
// its description. resized runs when its width changes, so that the picture is made
// again for the new width.
class StripBar final : public QWidget {
    Q_OBJECT

public:
    StripBar(QWidget* parent, std::function<void()> resized);
    void SetStrip(DayStrip&& strip);
    QSize sizeHint() const override { return {360, 14}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::function<void()> resized_;
    std::vector<StripStretch> stretches_;
};

// The picture of every host's day: a row per host with its title, its bar and its
// figures, in the order the page gives (least answered first).
// barsResized runs when the bars' width changes.
class DayStrips final : public QWidget {
public:
    DayStrips(QWidget* parent, std::function<void()> barsResized);
    void Show(std::vector<DayStrip> strips);
    // The bars' width in pixels, the columns to merge the stretches to; 0 before the first.
    std::size_t BarWidth() const;

private:
    struct Row {
        QLabel* title;
        StripBar* bar;
        QLabel* figures;
    };
    std::function<void()> barsResized_;
    std::vector<Row> rows_;
};

}  // namespace orvane2
