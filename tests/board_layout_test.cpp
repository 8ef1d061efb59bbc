#include "core/config_reader.h"
#include "support/recording_form_services.h"
#include "window/board_layout.h"

#include <gtest/gtest.h>

namespace orvane2 {
namespace {

// Reads the records and sizes the window, as start-up does.
FormState Layout(const QStringList& records)
{
    FormState state;
    testing::RecordingFormServices services;
    ReadConfigurationRecords(state, services, records);
    SizeWindow(state);
    return state;
}

TEST(BoardLayout, OneGroupWithThreeHosts)
{
    const FormState s = Layout({"group G", "a 1", "b 2", "c 3"});
    const Board& b = s.board;
    ASSERT_EQ(b.Frame1.size(), 2u);
    EXPECT_EQ(b.Frame1[1].rect.top, 120);
    EXPECT_EQ(b.Frame1[1].rect.height, 1125);
    EXPECT_EQ(b.Frame1[1].rect.left, 120);
    EXPECT_EQ(b.Frame1[1].rect.width, 3495);
    ASSERT_EQ(b.Label1.size(), 4u);
    const int tops[] = {240, 495, 750};
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(b.Label1[i].rect.top, tops[i - 1]) << i;
        EXPECT_EQ(b.Label1[i].rect.left, 120) << i;  // relative to the box
        EXPECT_EQ(b.Label1[i].container, 1) << i;
        EXPECT_TRUE(b.Label1[i].visible) << i;
    }
    EXPECT_EQ(b.WindowHeight, 2445);
    EXPECT_EQ(b.StatusString.rect.top, 1445);
}

TEST(BoardLayout, FileWithoutRecordsUsesTheTemplateBox)
{
    const FormState s = Layout({});
    EXPECT_EQ(s.board.WindowHeight, 1695);
    EXPECT_EQ(s.board.StatusString.rect.top, 695);
    EXPECT_EQ(s.board.Frame1.size(), 1u);
    EXPECT_FALSE(s.board.Frame1[0].visible);
}

TEST(BoardLayout, GroupsStackOneHundredTwipsApart)
{
    const FormState s = Layout({"group A", "a 1", "b 2", "group B", "c 3", "group C"});
    const Board& b = s.board;
    ASSERT_EQ(b.Frame1.size(), 4u);
    EXPECT_EQ(b.Frame1[1].rect.height, 495 + 375);
    EXPECT_EQ(b.Frame1[2].rect.top, 120 + 870 + 100);
    EXPECT_EQ(b.Label1[3].rect.top, 240);  // first label of the second box
    EXPECT_EQ(b.Label1[3].container, 2);
    EXPECT_EQ(b.Frame1[2].rect.height, 240 + 375);
    // A group without hosts keeps the template height.
    EXPECT_EQ(b.Frame1[3].rect.top, b.Frame1[2].rect.top + 615 + 100);
    EXPECT_EQ(b.Frame1[3].rect.height, 375);
    EXPECT_EQ(b.WindowHeight, b.Frame1[3].rect.top + 375 + 1200);
}

TEST(BoardLayout, TemplatesStayHiddenAndUnchanged)
{
    const FormState s = Layout({"group A", "a 1"});
    EXPECT_FALSE(s.board.Frame1[0].visible);
    EXPECT_FALSE(s.board.Label1[0].visible);
    EXPECT_EQ(s.board.Frame1[0].caption, QStringLiteral("Frame1"));
    EXPECT_EQ(s.board.Label1[0].rect.top, 600);
    EXPECT_EQ(s.board.Label1[0].container, 0);
}

TEST(BoardLayout, TwipsToPixels)
{
    EXPECT_EQ(layout::ToPixels(2445), 163);
    EXPECT_EQ(layout::ToPixels(3750), 250);
    EXPECT_EQ(layout::ToPixels(1445), 96);
    EXPECT_EQ(layout::ToPixels(7), 0);
    EXPECT_EQ(layout::ToPixels(8), 1);
}

}  // namespace
}  // namespace orvane2
