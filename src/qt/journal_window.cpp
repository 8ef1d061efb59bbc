// SPDX-License-Identifier: MIT
#include "qt/journal_window.h"

#include "qt/program_icon.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScrollArea>
#include <QSplitter>
#include <QVBoxLayout>
#include <chrono>

namespace orvane2 {

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

int JournalModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(shown_);
}

int JournalModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(kJournalColumns);
}

QVariant JournalModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.column() >= static_cast<int>(kJournalColumns))
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    if (row != cachedRow_) {
        cached_ = page_.Row(row);
        cachedRow_ = row;
    }
    return Q(cached_[static_cast<std::size_t>(index.column())]);
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(kJournalColumns))
        return {};
    return QString::fromUtf8(kJournalColumnCaptions[static_cast<std::size_t>(section)]);
}

void JournalModel::Refresh()
{
    const std::size_t rows = page_.RowCount(), dropped = page_.Dropped();
    const std::size_t added = rows + dropped - shown_ - dropped_, gone = dropped - dropped_;
    if (added == 0)
        return;
    cachedRow_ = SIZE_MAX;
    if (gone >= shown_ || added > rows) {
        Reset();
        return;
    }
    // The oldest rows are at the bottom, the new ones come on top.
    if (gone > 0) {
        beginRemoveRows({}, static_cast<int>(shown_ - gone), static_cast<int>(shown_ - 1));
        shown_ -= gone;
        endRemoveRows();
    }
    beginInsertRows({}, 0, static_cast<int>(added - 1));
    shown_ += added;
    dropped_ = dropped;
    endInsertRows();
}

void JournalModel::Reset()
{
    beginResetModel();
    shown_ = page_.RowCount();
    dropped_ = page_.Dropped();
    cachedRow_ = SIZE_MAX;
    endResetModel();
}

JournalWindow::JournalWindow(const JournalPage& page, std::function<void()> save, std::function<void()> closed)
    : page_(page), closed_(std::move(closed))
{
    setWindowTitle(QString::fromUtf8(kJournalTitle));
    setWindowIcon(ProgramIcon());
    resize(960, 600);

    // The buttons first among the window's children: screen readers reach them before the
    // long table.
    auto* saveButton = new QPushButton(QString::fromUtf8(kJournalSaveCaption), this);
    auto* closeButton = new QPushButton(QString::fromUtf8(kJournalCloseCaption), this);
    model_ = new JournalModel(page, this);
    table_ = new QTableView;
    table_->setModel(model_);
    table_->setAccessibleName(QString::fromUtf8(kJournalTitle));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setWordWrap(false);
    // Every row as high as the first: the view never measures 10,000 of them.
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setStretchLastSection(false);
    for (std::size_t c = 0; c < kJournalColumns; ++c)
        table_->setColumnWidth(static_cast<int>(c), kJournalColumnWidths[c]);

    dropped_ = new QLabel;
    // Made again at once for bars of a new width, while shown.
    strips_ = new DayStrips(nullptr, [this] {
        if (isVisible())
            stripTimer_.start(0);
    });
    auto* scroller = new QScrollArea;
    scroller->setWidgetResizable(true);
    scroller->setWidget(strips_);
    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(table_);
    splitter->addWidget(scroller);
    splitter->setSizes({330, 220});

    QObject::connect(saveButton, &QPushButton::clicked, this, [save = std::move(save)] { save(); });
    QObject::connect(closeButton, &QPushButton::clicked, this, [this] { close(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(closeButton);

    auto* column = new QVBoxLayout(this);
    column->addWidget(dropped_);
    column->addWidget(splitter, 1);
    column->addLayout(buttons);

    stripTimer_.setSingleShot(true);
    QObject::connect(&stripTimer_, &QTimer::timeout, this, [this] { RefreshStrips(); });
}

void JournalWindow::Open()
{
    if (!isVisible()) {
        model_->Reset();
        RefreshStrips();
    }
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void JournalWindow::BringUpToDate()
{
    model_->Refresh();
    RefreshStrips();
}

void JournalWindow::RefreshStrips()
{
    const QString note = Q(page_.DroppedNote());
    dropped_->setText(note);
    dropped_->setVisible(!note.isEmpty());
    strips_->Show(page_.Strips(std::chrono::system_clock::now(), strips_->BarWidth()));
}

void JournalWindow::closeEvent(QCloseEvent* event)
{
    stripTimer_.stop();
    event->accept();
    closed_();
}

}  // namespace orvane2
