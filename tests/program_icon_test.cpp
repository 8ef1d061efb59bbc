#include "window/program_icon.h"

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QSet>
#include <QSize>
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>

namespace orvane2 {
namespace {

// One image of the icon: its size and the resource it comes from.
struct IconImage {
    int size;
    const char* resource;
};

void PrintTo(const IconImage& image, std::ostream* out)
{
    *out << image.size << "x" << image.size;
}

// The image the icon hands out for the size, as 32-bit ARGB for reading pixels.
QImage FromIcon(int size)
{
    return ProgramIcon().pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
}

std::string SizeName(const ::testing::TestParamInfo<IconImage>& image)
{
    return "Size" + std::to_string(image.param.size);
}

bool IsBrightYellowGreen(QRgb pixel)
{
    return qAlpha(pixel) == 255 && qGreen(pixel) >= 200 && qRed(pixel) >= 150 && qBlue(pixel) <= 110;
}

TEST(ProgramIcon, HoldsBothSizes)
{
    const QIcon icon = ProgramIcon();
    ASSERT_FALSE(icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(48, 48)));
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
}

class ProgramIconImage : public ::testing::TestWithParam<IconImage> {};

TEST_P(ProgramIconImage, HasItsExactSize)
{
    const int size = GetParam().size;
    EXPECT_EQ(FromIcon(size).size(), QSize(size, size));
}

TEST_P(ProgramIconImage, IsTransparentAtTheCorners)
{
    const QImage image = FromIcon(GetParam().size);
    ASSERT_FALSE(image.isNull());
    const int last = image.width() - 1;
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(last, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(0, last)), 0);
    EXPECT_EQ(qAlpha(image.pixel(last, last)), 0);
}

TEST_P(ProgramIconImage, IsOpaqueDarkGreenInTheCentre)
{
    const QImage image = FromIcon(GetParam().size);
    ASSERT_FALSE(image.isNull());
    const QRgb centre = image.pixel(image.width() / 2, image.height() / 2);
    EXPECT_EQ(qAlpha(centre), 255);
    EXPECT_GT(qGreen(centre), qRed(centre));
    EXPECT_GT(qGreen(centre), qBlue(centre));
    EXPECT_LT(qGreen(centre), 128) << "the screen is a dark green";
}

TEST_P(ProgramIconImage, UsesAtMostSixteenColours)
{
    const QImage image = FromIcon(GetParam().size);
    ASSERT_FALSE(image.isNull());
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            colours.insert(image.pixel(x, y));
        }
    }
    EXPECT_LE(colours.size(), 16);
}

TEST_P(ProgramIconImage, ResourceIsIndexedWithATransparentEntry)
{
    ProgramIcon();  // registers the resources
    const QImage image(QString::fromLatin1(GetParam().resource));
    ASSERT_FALSE(image.isNull()) << GetParam().resource;
    EXPECT_EQ(image.size(), QSize(GetParam().size, GetParam().size));
    EXPECT_EQ(image.format(), QImage::Format_Indexed8);
    EXPECT_LE(image.colorCount(), 16);
    const QList<QRgb> table = image.colorTable();
    EXPECT_TRUE(std::any_of(table.begin(), table.end(), [](QRgb c) { return qAlpha(c) == 0; }));
}

TEST_P(ProgramIconImage, SweepsBrightYellowGreenThroughTheLowerHalf)
{
    const QImage image = FromIcon(GetParam().size);
    ASSERT_FALSE(image.isNull());
    int bright = 0;
    for (int y = image.height() / 2; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            bright += IsBrightYellowGreen(image.pixel(x, y)) ? 1 : 0;
        }
    }
    EXPECT_GT(bright, 0);
}

TEST_P(ProgramIconImage, KeepsTheUpperHalfFreeOfTheSweep)
{
    const QImage image = FromIcon(GetParam().size);
    ASSERT_FALSE(image.isNull());
    for (int y = 0; y < image.height() / 2; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            EXPECT_FALSE(IsBrightYellowGreen(image.pixel(x, y))) << "at " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, ProgramIconImage,
    ::testing::Values(IconImage{48, ":/icons/radar-48.png"}, IconImage{16, ":/icons/radar-16.png"}),
    SizeName);

}  // namespace
}  // namespace orvane2

