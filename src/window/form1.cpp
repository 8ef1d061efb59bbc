#include "window/form1.h"

#include "window/board.h"

#include <QMoveEvent>

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

}  // namespace

Form1::Form1(FormServices& services) : services_(services)
{
    setWindowTitle(kWindowCaption);
    setFocusPolicy(Qt::NoFocus);
    resize(layout::ToPixels(layout::kClientWidth), layout::ToPixels(layout::kClientHeight));

    // The hidden templates stay element 0 of their arrays for the whole run.
    const Board& board = state_.board;
    auto* frameTemplate = new QGroupBox(board.Frame1[0].caption, this);
    frameTemplate->setGeometry(ToPixels(board.Frame1[0].rect));
    frameTemplate->setFocusPolicy(Qt::NoFocus);
    frameTemplate->hide();
    frames_.push_back(frameTemplate);
    labels_.push_back(MakeLabel(board.Label1[0], this));
    StatusString = MakeLabel(board.StatusString, this);

    Timer1.setInterval(kDesignTimerInterval);
    CommonDialog1 = new QFileDialog(this);

    menu = new QMenu(QString::fromUtf8("Меню"), this);
    showhide = menu->addAction(QString::fromUtf8("Показать/скрыть в трей (ЛКМ)"));
    changeconfig = menu->addAction(QString::fromUtf8("Сменить конфиг"));
    exit = menu->addAction(QString::fromUtf8("Выход"));
}

Form1::~Form1() = default;

void Form1::Load(const QString& argumentString, StartupHooks hooks)
{
    Form_Load(state_, services_, argumentString, hooks);
    BuildBoard();
    Timer1.setInterval(state_.Timer1Interval);
    Timer1.start();
}

void Form1::BuildBoard()
{
    const Board& board = state_.board;
    for (std::size_t g = 1; g < board.Frame1.size(); ++g) {
        const GroupBox& model = board.Frame1[g];
        auto* box = new QGroupBox(model.caption, this);
        box->setGeometry(ToPixels(model.rect));
        box->setFocusPolicy(Qt::NoFocus);
        box->setVisible(model.visible);
        frames_.push_back(box);
    }
    for (std::size_t i = 1; i < board.Label1.size(); ++i) {
        const HostLabel& model = board.Label1[i];
        QWidget* container = model.container > 0 ? frames_.at(model.container) : static_cast<QWidget*>(this);
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
    const int outer = layout::ToPixels(*state_.board.WindowHeight);
    const int decoration = frameGeometry().height() - geometry().height();
    if (decoration == fittedDecoration_)
        return;
    fittedDecoration_ = decoration;
    resize(width(), outer - decoration);
}

void Form1::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    FitOuterHeight();
}

}  // namespace orvane2
