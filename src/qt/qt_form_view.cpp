// SPDX-License-Identifier: MIT
#include "qt/qt_form_view.h"

#include "core/board_layout.h"
#include "qt/program_icon.h"

#include <QCloseEvent>
#include <QCursor>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMoveEvent>
#include <QScreen>
#include <QScrollBar>

namespace orvane2 {

namespace {

constexpr int kNotificationImageSize = 64;

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

QRect ToPixels(const Rect& r)
{
    using layout::ToPixels;
    return {ToPixels(r.left), ToPixels(r.top), ToPixels(r.width), ToPixels(r.height)};
}

template <typename Widget, typename Model>
Widget* Make(const Model& model, QWidget* parent)
{
    auto* widget = new Widget(Q(model.caption), parent);
    widget->setGeometry(ToPixels(model.rect));
    widget->setFocusPolicy(Qt::NoFocus);
    widget->setVisible(model.visible);
    return widget;
}

int TrayCode(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
        case QSystemTrayIcon::Trigger:
        case QSystemTrayIcon::DoubleClick:
            return kLeftButtonUp;
        case QSystemTrayIcon::Context:
            return kRightButtonUp;
        case QSystemTrayIcon::MiddleClick:
            return kMiddleButtonUp;
        case QSystemTrayIcon::Unknown:
            break;
    }
    return 0;
}

}  // namespace

QtFormView::QtFormView()
{
    setWindowTitle(Q(kWindowCaption));
    setWindowIcon(ProgramIcon());
    setFocusPolicy(Qt::NoFocus);
    // A monitor sits in the background: its labels' tooltips show without activating it.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    resize(layout::ToPixels(layout::kClientWidth), layout::ToPixels(layout::kClientHeight));
    client_ = new QWidget(this);
    client_->resize(size());
    board_ = new QWidget(client_);
    board_->resize(size());

    // The hidden templates stay element 0 of their arrays for the whole run.
    const Board initial;
    frames_.push_back(Make<QGroupBox>(initial.Frame1[0], board_));
    labels_.push_back(Make<QLabel>(initial.Label1[0], board_));
    status_ = Make<QLabel>(initial.StatusString, client_);

    QObject::connect(&Timer1, &QTimer::timeout, this, [this] { form_->Timer1_Timer(); });
    trayTimer_.setSingleShot(true);
    QObject::connect(&trayTimer_, &QTimer::timeout, this, [this] { form_->TrayTimer_Timer(); });
    journalTimer_.setSingleShot(true);
    QObject::connect(&journalTimer_, &QTimer::timeout, this, [this] { form_->JournalTimer_Timer(); });
    QObject::connect(&notifier_, &DesktopNotifier::Clicked, this, [this] { form_->NotificationClicked(); });
}

QtFormView::~QtFormView() = default;

std::optional<int> QtFormView::AvailableHeight() const
{
    // Logical pixels are 96 to the inch: 15 twips each.
    return screen()->availableGeometry().height() * layout::kTwipsPerPixel;
}

void QtFormView::PlaceBoard(const Board& board)
{
    for (std::size_t g = frames_.size(); g < board.Frame1.size(); ++g)
        frames_.push_back(Make<QGroupBox>(board.Frame1[g], board_));
    for (std::size_t i = labels_.size(); i < board.Label1.size(); ++i) {
        const HostLabel& model = board.Label1[i];
        QWidget* container = model.container > 0 ? frames_.at(model.container) : board_;
        labels_.push_back(Make<QLabel>(model, container));
    }
    placed_ = board;
    const Board arranged = UnderMenuBar();
    status_->setGeometry(ToPixels(arranged.StatusString.rect));
    if (arranged.Viewport)
        ShowInScroller(*arranged.Viewport);
    FitOuterHeight();
}

Board QtFormView::UnderMenuBar() const
{
    // Logical pixels are 96 to the inch: 15 twips each.
    return WithMenuBar(placed_, MenuBarHeight() * layout::kTwipsPerPixel);
}

// The window's height counts its title bar and borders. The frame's size is known only
// once the window manager has framed the window, so the fit is repeated when the frame
// changes (a window manager reports it as a move), and only then: the user may resize.
void QtFormView::FitOuterHeight()
{
    if (!placed_.WindowHeight)
        return;
    const int decoration = frameGeometry().height() - geometry().height();
    if (decoration == fittedDecoration_)
        return;
    fittedDecoration_ = decoration;
    const Board arranged = UnderMenuBar();
    resize(width(), layout::ToPixels(*arranged.WindowHeight) - decoration);
    const int menuHeight = MenuBarHeight();
    client_->setGeometry(0, menuHeight, width(), height() - menuHeight);
    status_->setGeometry(ToPixels(arranged.StatusString.rect));
    if (scroller_ && arranged.Viewport)
        scroller_->resize(width(), layout::ToPixels(arranged.Viewport->height));
    else
        board_->resize(client_->size());
}

// The board scrolls vertically above the status line; the window grows by the scroll
// bar's width so that the bar covers no box.
void QtFormView::ShowInScroller(const ScrollViewport& viewport)
{
    scroller_ = new QScrollArea(client_);
    scroller_->setFrameShape(QFrame::NoFrame);
    scroller_->setFocusPolicy(Qt::NoFocus);
    scroller_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroller_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    board_->setFixedSize(width(), layout::ToPixels(viewport.contentHeight));
    scroller_->setWidget(board_);
    const int bar = scroller_->verticalScrollBar()->sizeHint().width();
    resize(width() + bar, height());
    scroller_->setGeometry(0, 0, width(), layout::ToPixels(viewport.height));
    scroller_->show();
}

void QtFormView::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    FitOuterHeight();
}

void QtFormView::closeEvent(QCloseEvent* event)
{
    event->accept();
    form_->Form_Close();
}

void QtFormView::SetLabelColor(int index, std::uint32_t bgr)
{
    QLabel* label = labels_.at(index);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                                                  static_cast<int>((bgr >> 16) & 0xFF)));
    label->setPalette(palette);
}

void QtFormView::SetLabelDescription(int index, const std::string& text)
{
    QLabel* label = labels_.at(index);
    label->setToolTip(Q(text));
    label->setAccessibleDescription(Q(text));
}

void QtFormView::SetStatusCaption(const std::string& caption)
{
    status_->setText(Q(caption));
}

WindowShowState QtFormView::ShowState() const
{
    if (windowState() & Qt::WindowMinimized)
        return WindowShowState::Minimized;
    if (windowState() & Qt::WindowMaximized)
        return WindowShowState::Maximized;
    return WindowShowState::Normal;
}

void QtFormView::Restore()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
}

void QtFormView::HideMinimized()
{
    // Hidden first: a hidden window's state is only recorded, whereas minimising a shown
    // one asks the window manager, whose answer can arrive after the hide and undo the
    // state, so that the next click would find the window "normal".
    hide();
    Minimize();
}

void QtFormView::Minimize()
{
    setWindowState((windowState() & ~Qt::WindowMaximized) | Qt::WindowMinimized);
}

QMenu& QtFormView::Menu()
{
    if (!menu) {
        menu = new QMenu(Q(kMenuCaption), this);
        for (const MenuItem& item : kMenuItems)
            QObject::connect(menu->addAction(Q(item.caption)), &QAction::triggered, this,
                             [this, command = item.command] { form_->RunMenuCommand(command); });
    }
    return *menu;
}

void QtFormView::OpenPopupMenu()
{
    // A tray host that draws the exported menu has shown it already.
    if (menuExported_)
        return;
    // The menu opens with its right edge at the pointer, and nothing waits for it: the
    // chosen command comes back through the menu's own signal.
    Menu().popup(QCursor::pos() - QPoint(Menu().sizeHint().width(), 0));
}

void QtFormView::ShowMenuBar()
{
    menuBar_ = new QMenuBar(this);
    menuBar_->addMenu(&Menu());
    menuBar_->adjustSize();
    menuBar_->setGeometry(0, 0, width(), menuBar_->sizeHint().height());
    fittedDecoration_ = -1;
    FitOuterHeight();
}

void QtFormView::HideMenuBar()
{
    if (!menuBar_)
        return;
    menuBar_->removeAction(Menu().menuAction());
    delete menuBar_;
    menuBar_ = nullptr;
    fittedDecoration_ = -1;
    FitOuterHeight();
}

namespace {

// The desktop's file dialog, for opening an existing file or saving one; nothing when
// the user cancels. Made only when asked for: building a file dialog costs more than
// the whole board.
std::optional<std::string> RunFileDialog(QWidget* owner, const OpenFileRequest& request, QFileDialog::AcceptMode mode)
{
    QFileDialog CommonDialog1(owner, Q(request.title));
    QStringList filters;
    for (const FileFilter& filter : request.filters)
        filters.append(Q(filter.description));
    CommonDialog1.setNameFilters(filters);
    CommonDialog1.setDefaultSuffix(Q(request.defaultExtension));
    CommonDialog1.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    CommonDialog1.setAcceptMode(mode);
    if (CommonDialog1.exec() != QDialog::Accepted || CommonDialog1.selectedFiles().isEmpty())
        return std::nullopt;
    return CommonDialog1.selectedFiles().constFirst().toStdString();
}

}  // namespace

std::optional<std::string> QtFormView::ChooseFile(const OpenFileRequest& request)
{
    return RunFileDialog(this, request, QFileDialog::AcceptOpen);
}

bool QtFormView::AddTrayIcon(const TrayLook& look)
{
    if (!trayWatch_) {
        trayWatch_ = std::make_unique<TrayWatch>();
        QObject::connect(trayWatch_.get(), &TrayWatch::Changed, this, [this] { TrayChanged(); });
    }
    trayPresent_ = trayWatch_->Present();
    look_ = look;
    if (!trayPresent_)
        return false;  // no icon yet: Qt would settle its tray protocol for good
    if (!tray_)
        MakeTrayIcon();
    SetTrayLook(look);
    // An icon already made docks again by itself in an XEmbed tray that comes back, and
    // registers again with a StatusNotifierItem watcher that does.
    tray_->show();
    return true;
}

void QtFormView::MakeTrayIcon()
{
    trayWatch_->Commit();
    // A StatusNotifierItem host (KDE Plasma, waybar, GNOME's AppIndicator extension)
    // draws the item's menu itself, at the icon and in the desktop's style, when the
    // item exports one; an XEmbed tray leaves the menu to the program.
    menuExported_ = trayWatch_->StatusNotifierHost();
    iconMark_ = look_.mark;
    tray_ = std::make_unique<QSystemTrayIcon>(MarkedIcon(iconMark_));
    tray_->setToolTip(Q(look_.toolTip));
    if (menuExported_)
        tray_->setContextMenu(&Menu());
    QObject::connect(tray_.get(), &QSystemTrayIcon::activated, this,
                     [this](QSystemTrayIcon::ActivationReason reason) { form_->TrayNotification(TrayCode(reason)); });
    QObject::connect(tray_.get(), &QSystemTrayIcon::messageClicked, this, [this] { form_->NotificationClicked(); });
}

void QtFormView::TrayChanged()
{
    const bool present = trayWatch_->Present();
    if (present == trayPresent_)
        return;
    trayPresent_ = present;
    if (present)
        form_->TrayAppeared();
    else
        form_->TrayVanished();
}

void QtFormView::SetTrayLook(const TrayLook& look)
{
    look_ = look;
    if (!tray_)
        return;
    // Only what changed goes out: a StatusNotifierItem host is sent every change.
    if (look.mark != iconMark_) {
        iconMark_ = look.mark;
        tray_->setIcon(MarkedIcon(iconMark_));
    }
    if (tray_->toolTip() != Q(look.toolTip))
        tray_->setToolTip(Q(look.toolTip));
}

void QtFormView::RemoveTrayIcon()
{
    trayWatch_.reset();
    if (!tray_)
        return;
    tray_->hide();
    // The icon may be the sender of the click that led here: let the event loop delete it.
    tray_.release()->deleteLater();
}

void QtFormView::Notify(const HostNotice& notice)
{
    const QIcon icon = MarkedIcon(look_.mark);
    if (notifier_.Running())
        notifier_.Show(Q(notice.title), Q(notice.text), icon.pixmap(kNotificationImageSize).toImage());
    else if (tray_ && trayPresent_)
        tray_->showMessage(Q(notice.title), Q(notice.text), icon);  // Qt's balloon at the icon
}

void QtFormView::StartTrayTimer(int intervalMs)
{
    trayTimer_.start(intervalMs);
}

void QtFormView::StopTrayTimer()
{
    trayTimer_.stop();
}

void QtFormView::StartTimer(int intervalMs)
{
    Timer1.start(intervalMs);
}

void QtFormView::ShowJournal(const JournalPage& page)
{
    if (!journal_)
        journal_ = std::make_unique<JournalWindow>(
            page, [this] { form_->journalSave_Click(); }, [this] { form_->JournalClosed(); });
    journal_->Open();
}

void QtFormView::JournalChanged()
{
    if (journal_ && journal_->isVisible())
        journal_->BringUpToDate();
}

void QtFormView::StartJournalTimer(int intervalMs)
{
    journalTimer_.start(intervalMs);
}

void QtFormView::StopJournalTimer()
{
    journalTimer_.stop();
}

std::optional<std::string> QtFormView::ChooseSaveFile(const OpenFileRequest& request)
{
    return RunFileDialog(journal_ ? static_cast<QWidget*>(journal_.get()) : this, request, QFileDialog::AcceptSave);
}

}  // namespace orvane2
