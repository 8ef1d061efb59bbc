// SPDX-License-Identifier: MIT
#pragma once

#include "core/journal.h"

#include <QLabel>
#include <QWidget>
#include <vector>

namespace orvane2 {

// One host's last 24 hours as a bar in the board's colours; screen readers get its
// title as its name and its figures as its description.
class StripBar final : public QWidget {
    Q_OBJECT

public:
    explicit StripBar(QWidget* parent);
    void SetStrip(DayStrip&& strip);
    QSize sizeHint() const override { return {360, 14}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<StripStretch> stretches_;
};

// The picture of every host's day: a row per host with its title, its bar and its
// figures, in the order the page gives (least answered first).
class DayStrips final : public QWidget {
public:
    explicit DayStrips(QWidget* parent);
    void Show(std::vector<DayStrip> strips);

private:
    struct Row {
        QLabel* title;
        StripBar* bar;
        QLabel* figures;
    };
    std::vector<Row> rows_;
};

}  // namespace orvane2
