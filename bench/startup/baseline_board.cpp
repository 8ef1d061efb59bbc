// SPDX-License-Identifier: MIT
// The least a Qt Widgets program has to do to show orvane2's board: the window with its
// title, one group box per group and one label per host at the board's geometry, the
// status line, and a tray icon. Nothing else: no menu, no file dialog, no timer, no
// icon files, no configuration reader. bench/run starts it next to the real program to
// tell how much of the program's start-up time and memory the board itself costs.
//
//   baseline_board HOSTS_IN_GROUP_1 HOSTS_IN_GROUP_2 ...
// The captions are those of the configuration bench/run writes: "Группа g" for group g
// and "узелn" for host n, numbered from 1 across groups.

#include <QApplication>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

#include <cstdlib>

namespace {

// The board's lengths are in twips, 15 to the pixel, rounded to the nearest pixel.
constexpr int Px(int twips)
{
    return (twips + 7) / 15;
}

// Board geometry, in twips: boxes stacked from 120 with gaps of 100, 3495 wide; labels
// 2500 × 255 at left 120 inside their box, the first at 240, each under the previous;
// a box ends 375 below the top of its last label; the window is 3750 wide and its
// height is the last box's bottom + 1200; the status line (1695 × 255, left 120) sits
// 1000 above the window's bottom.
constexpr int kBoxLeft = 120, kBoxWidth = 3495, kFirstBoxTop = 120, kBoxGap = 100;
constexpr int kLabelLeft = 120, kLabelWidth = 2500, kLabelHeight = 255, kFirstLabelTop = 240;
constexpr int kBoxBottomMargin = 375, kTemplateBoxHeight = 375;
constexpr int kWindowWidth = 3750, kWindowExtra = 1200, kStatusLift = 1000, kStatusWidth = 1695;

}  // namespace

int main(int argc, char** argv)
{
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    QApplication::setQuitOnLastWindowClosed(false);

    QWidget window;
    window.setWindowTitle(QString::fromUtf8("Монитор узлов"));

    int boxTop = kFirstBoxTop, boxHeight = kTemplateBoxHeight, host = 0;
    for (int g = 1; g < argc; ++g) {
        if (g > 1)
            boxTop += boxHeight + kBoxGap;
        auto* box = new QGroupBox(QString::fromUtf8("Группа %1").arg(g), &window);
        int labelTop = kFirstLabelTop;
        boxHeight = kTemplateBoxHeight;
        for (int i = 0, n = std::atoi(argv[g]); i < n; ++i, labelTop += kLabelHeight) {
            auto* label = new QLabel(QString::fromUtf8("узел%1").arg(++host), box);
            label->setGeometry(Px(kLabelLeft), Px(labelTop), Px(kLabelWidth), Px(kLabelHeight));
            boxHeight = labelTop + kBoxBottomMargin;
        }
        box->setGeometry(Px(kBoxLeft), Px(boxTop), Px(kBoxWidth), Px(boxHeight));
    }
    const int windowHeight = boxTop + boxHeight + kWindowExtra;
    auto* status = new QLabel(QString::fromUtf8("Инициализация..."), &window);
    status->setGeometry(Px(kBoxLeft), Px(windowHeight - kStatusLift), Px(kStatusWidth), Px(kLabelHeight));
    window.resize(Px(kWindowWidth), Px(windowHeight));

    // A tray icon needs an image; a plain filled square costs no file or decoder.
    QPixmap image(16, 16);
    image.fill(Qt::darkGreen);
    QSystemTrayIcon tray{QIcon(image)};
    tray.show();

    window.show();
    return QApplication::exec();
}
