#include "window/form1.h"

#include "core/restart.h"
#include "window/board.h"
#include "window/program_icon.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QMoveEvent>
#include <cmath>

namespace orvane2 {

namespace {

QRect ToPixels(const Rect& r)
{
    using layout::ToPixels;
    return {ToPixels(r.left), ToPixels(r.top), ToPixels(r.width), ToPixels(r.height)};
}

QLabel* MakeLabel(const HostLabel& model, QWidget* parent)
{
    auto* label = new QLabel(model.caption, parent);
    label->setGeometry(ToPixels(model.rect));
    label->setFocusPolicy(Qt::NoFocus);
    label->setVisible(model.visible);
    return label;
}

QGroupBox* MakeGroupBox(const GroupBox& model, QWidget* parent)
{
    auto* box = new QGroupBox(model.caption, parent);
    box->setGeometry(ToPixels(model.rect));
    box->setFocusPolicy(Qt::NoFocus);
    box->setVisible(model.visible);
    return box;
}

QColor FromBgr(uint32_t bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

void DefaultPopup(QMenu& menu, const QPoint& position)
{
    menu.exec(position);
}

std::optional<QString> DefaultChooseFile(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

}  // namespace

Form1::Form1(FormServices& services, TrayService& tray, FormDialogs dialogs)
    : services_(services), tray_(tray), dialogs_(std::move(dialogs)), cycle_(state_, services_, *this)
{
    if (!dialogs_.popup)
        dialogs_.popup = DefaultPopup;
    if (!dialogs_.chooseFile)
        dialogs_.chooseFile = DefaultChooseFile;

    setWindowTitle(kWindowCaption);
    setWindowIcon(ProgramIcon());
    setFocusPolicy(Qt::NoFocus);
    resize(layout::ToPixels(layout::kClientWidth), layout::ToPixels(layout::kClientHeight));
    client_ = new QWidget(this);
    client_->resize(size());

    // The hidden templates stay element 0 of their arrays for the whole run.
    const Board& board = state_.board;
    frames_.push_back(MakeGroupBox(board.Frame1[0], client_));
    labels_.push_back(MakeLabel(board.Label1[0], client_));
    StatusString = MakeLabel(board.StatusString, client_);

    Timer1.setInterval(kDesignTimerInterval);
    connect(&Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    CommonDialog1 = new QFileDialog(this);

    menu = new QMenu(QString::fromUtf8("Меню"), this);
    showhide = menu->addAction(QString::fromUtf8("Показать/скрыть в трей (ЛКМ)"));
    changeconfig = menu->addAction(QString::fromUtf8("Сменить конфиг"));
    exit = menu->addAction(QString::fromUtf8("Выход"));
    connect(showhide, &QAction::triggered, this, &Form1::showhide_Click);
    connect(changeconfig, &QAction::triggered, this, &Form1::changeconfig_Click);
    connect(exit, &QAction::triggered, this, &Form1::exit_Click);

    tray_.SetNotificationHandler([this](int code) {
        Form_MouseMove(0, 0, static_cast<float>(code * layout::kTwipsPerPixel), 0.0f);
    });
    services_.SetUnloadHandler([this] { Form_QueryUnload(); });
}

Form1::~Form1()
{
    tray_.SetNotificationHandler({});
    services_.SetUnloadHandler({});
}

void Form1::Load(const QString& argumentString, std::function<std::unique_ptr<HostProbe>()> createProbe)
{
    StartupHooks hooks;
    hooks.createProbe = std::move(createProbe);
    hooks.placeBoard = [this] { BuildBoard(); };
    hooks.addIcon = [this] { AddIcon(kTrayToolTip); };
    Form_Load(state_, services_, argumentString, hooks);
    Timer1.setInterval(state_.Timer1Interval);
    Timer1.start();
}

void Form1::BuildBoard()
{
    const Board& board = state_.board;
    for (std::size_t g = 1; g < board.Frame1.size(); ++g)
        frames_.push_back(MakeGroupBox(board.Frame1[g], client_));
    for (std::size_t i = 1; i < board.Label1.size(); ++i) {
        const HostLabel& model = board.Label1[i];
        QWidget* container = model.container > 0 ? frames_.at(model.container) : client_;
        labels_.push_back(MakeLabel(model, container));
    }
    StatusString->setGeometry(ToPixels(board.StatusString.rect));
    FitOuterHeight();
}

// The window's height counts its title bar and borders. The frame's size is known only
// once the window manager has framed the window, so the fit is repeated when the frame
// changes (a window manager reports it as a move), and only then: the user may resize.
void Form1::FitOuterHeight()
{
    if (!state_.board.WindowHeight)
        return;
    const int menuHeight = menuBar_ ? menuBar_->height() : 0;
    const int outer = layout::ToPixels(*state_.board.WindowHeight) + menuHeight;
    const int decoration = frameGeometry().height() - geometry().height();
    if (decoration == fittedDecoration_)
        return;
    fittedDecoration_ = decoration;
    resize(width(), outer - decoration);
    client_->setGeometry(0, menuHeight, width(), height() - menuHeight);
}

void Form1::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    FitOuterHeight();
}

void Form1::closeEvent(QCloseEvent* event)
{
    event->accept();
    services_.End(0);
}

void Form1::AddIcon(const QString& ToolTip)
{
    try {
        if (!tray_.Available()) {
            // Without a notification area the menu stays reachable from the window.
            ShowMenuBar();
            return;
        }
        tray_.Add(windowIcon(), ToolTip);
    } catch (const std::exception& error) {
        ReportTrappedError(error);
    }
}

void Form1::ShowMenuBar()
{
    menuBar_ = new QMenuBar(this);
    menuBar_->addMenu(menu);
    menuBar_->adjustSize();
    menuBar_->setGeometry(0, 0, width(), menuBar_->sizeHint().height());
    fittedDecoration_ = -1;
    FitOuterHeight();
}

void Form1::Form_MouseMove(int /*Button*/, int /*Shift*/, float X, float /*Y*/)
{
    try {
        const int code = static_cast<int>(std::lround(X / static_cast<float>(layout::kTwipsPerPixel)));
        if (code == kLeftButtonUp)
            ToggleWindow();
        else if (code == kRightButtonUp)
            PopupMenu();
    } catch (const std::exception& error) {
        ReportTrappedError(error);
    }
}

void Form1::PopupMenu()
{
    // The menu opens with its right edge at the pointer.
    const QPoint pointer = QCursor::pos();
    dialogs_.popup(*menu, pointer - QPoint(menu->sizeHint().width(), 0));
}

void Form1::ReportTrappedError(const std::exception& error)
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    services_.MsgBox(QString::fromLocal8Bit(error.what()), vbInformation, kProgramTitle + QStringLiteral(" - ") + windowTitle());
}

int Form1::WindowState() const
{
    if (windowState() & Qt::WindowMinimized)
        return 1;
    if (windowState() & Qt::WindowMaximized)
        return 2;
    return 0;
}

void Form1::ToggleWindow()
{
    if (WindowState() == 1) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        show();
    } else if (menuBar_) {
        // Without a tray icon nothing could bring a hidden window back: minimise only.
        setWindowState((windowState() & ~Qt::WindowMaximized) | Qt::WindowMinimized);
    } else {
        // Hidden first: a hidden window's state is only recorded, whereas minimising a
        // shown one asks the window manager, whose answer can arrive after the hide and
        // undo the state, so that the next click would find the window "normal".
        hide();
        setWindowState((windowState() & ~Qt::WindowMaximized) | Qt::WindowMinimized);
    }
}

void Form1::Form_QueryUnload()
{
    tray_.Delete();
}

void Form1::Timer1_Timer()
{
    cycle_.Timer1_Timer();
}

void Form1::showhide_Click()
{
    ToggleWindow();
}

void Form1::changeconfig_Click()
{
    CommonDialog1->setNameFilters(
        {QString::fromUtf8("Конфиги Монитора(*.cfg)"), QString::fromUtf8("Все файлы (*.*)")});
    CommonDialog1->setDefaultSuffix(QStringLiteral("cfg"));
    CommonDialog1->setWindowTitle(QString::fromUtf8("Выберите другой конфиг"));
    CommonDialog1->setFileMode(QFileDialog::ExistingFile);
    CommonDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    const std::optional<QString> chosen = dialogs_.chooseFile(*CommonDialog1);
    if (!chosen)
        return;  // cancelled: keep running on the current configuration
    RestartOn(services_, *chosen, QCoreApplication::applicationFilePath());
    services_.End(0);
}

void Form1::exit_Click()
{
    services_.End(0);
}

void Form1::StatusCaptionChanged()
{
    StatusString->setText(state_.board.StatusString.caption);
}

void Form1::LabelColorChanged(int index)
{
    const std::optional<uint32_t>& color = state_.board.Label1[index].foreColor;
    if (!color)
        return;
    QLabel* label = labels_.at(index);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, FromBgr(*color));
    label->setPalette(palette);
}

}  // namespace orvane2
