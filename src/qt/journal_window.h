// SPDX-License-Identifier: MIT
#pragma once

#include "core/journal.h"
#include "qt/day_strips.h"

#include <QAbstractTableModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace orvane2 {

// The journal's entries as a table, newest first, read from the page only for the rows
// a view draws: bringing 10,000 rows up to date costs no more than telling the view how
// many came and went.
class JournalModel final : public QAbstractTableModel {
public:
    explicit JournalModel(const JournalPage& page, QObject* parent) : QAbstractTableModel(parent), page_(page) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // The page has new entries on top, and may have let the oldest go.
    void Refresh();
    void Reset();

private:
    const JournalPage& page_;
    std::size_t shown_ = 0;    // rows the views know of
    std::size_t dropped_ = 0;  // entries let go when they last heard
    mutable std::size_t cachedRow_ = SIZE_MAX;
    mutable std::array<std::string, kJournalColumns> cached_;
};

// The window «Журнал — Монитор узлов»: the entries, the picture of each host's day, and
// «Сохранить…» and «Закрыть». It is not modal; closed, it only hides, and comes back as it is.
class JournalWindow final : public QWidget {
public:
    // save runs on «Сохранить…», closed when the window is closed.
    JournalWindow(const JournalPage& page, std::function<void()> save, std::function<void()> closed);

    // Shown and raised, up to date.
    void Open();
    // The table and the picture, brought up to date now.
    void BringUpToDate();
    // Draws the picture of the hosts' days as of now.
    void RefreshStrips();

    QTableView* Table() const { return table_; }
    DayStrips* Strips() const { return strips_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    const JournalPage& page_;
    std::function<void()> closed_;
    JournalModel* model_;
    QTableView* table_;
    QLabel* dropped_;
    DayStrips* strips_;
    QTimer stripTimer_;  // the picture made again for bars of a new width, once they settle
};

}  // namespace orvane2
