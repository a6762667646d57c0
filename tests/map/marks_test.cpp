#include "marks.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t Green = 0x008000, Silver = 0xC0C0C0, Maroon = 0x000080, Navy = 0x800000,
                  Olive = 0x008080, Purple = 0x800080, Red = 0x0000FF, Aqua = 0xFFFF00;

struct TClick {
    int32_t X, Y;
    bool Right = true;
    bool Shift = false;
};

} // namespace

TEST(Marks, NextMarkColor)
{
    struct Case {
        int32_t From, To;
    };
    const Case cases[] = {
        {0xFFFF00, 0xFF0000}, // aqua -> blue
        {0x808080, 0xFF00FF}, // grey is found at entry 2 and always continues at 3
        {0xFF00FF, 0x808080},
        {0xC0C0C0, 0x000080}, // silver is found at entry 6 and always continues at 7
        {0x008000, 0xC0C0C0}, // green -> silver
        {0x808000, 0x00FFFF}, // teal -> yellow
        {0x00FFFF, 0xFFFF00}, // the last entry wraps to the first
        {0x123456, 0xFFFF00}, // not in the table: entry 0
        {-1, 0xFFFF00},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.From);
        EXPECT_EQ(NextMarkColor(c.From), c.To);
    }
}

// A new mark clicked again and again: silver, maroon, navy, olive, purple,
// red, then silver again; never back to green.
TEST(Marks, RecolouringCycle)
{
    std::vector<TMarkRec> marks;
    ASSERT_TRUE(MarksMouseDown(marks, true, true, false, 50, 50));
    const int32_t expected[] = {Silver, Maroon, Navy, Olive, Purple, Red, Silver, Maroon, Navy,
                                Olive,  Purple, Red,  Silver};
    for (int32_t colour : expected) {
        ASSERT_TRUE(MarksMouseDown(marks, true, true, false, 50, 50));
        ASSERT_EQ(marks.size(), 1u);
        EXPECT_EQ(marks[0].Color, colour);
    }
}

// Sequences of presses and the marks they leave.
TEST(Marks, MouseDownSequences)
{
    struct Case {
        const char *Name;
        bool HaveStars;
        std::vector<TClick> Clicks;
        std::vector<TMarkRec> Marks;
        bool LastRepaints;
    };
    const Case cases[] = {
        {"no universe drawn yet", false, {{100, 100}}, {}, false},
        {"left and middle buttons never touch marks", true,
         {{100, 100}, {100, 100, false}, {150, 150, false, true}}, {{100, 100, Green}}, false},
        {"empty spot: a green mark", true, {{100, 100}}, {{100, 100, Green}}, true},
        {"whole distance 10 recolours", true, {{100, 100}, {110, 100}}, {{100, 100, Silver}}, true},
        {"whole distance 11 adds", true, {{100, 100}, {111, 100}}, {{100, 100, Green}, {111, 100, Green}}, true},
        {"(7, 7) away is 9.9: recolours", true, {{100, 100}, {107, 107}}, {{100, 100, Silver}}, true},
        {"(8, 8) away is 11.3: adds", true, {{100, 100}, {108, 108}}, {{100, 100, Green}, {108, 108, Green}}, true},
        {"the overlap recolours the first added", true, {{100, 100}, {115, 100}, {108, 100}},
         {{100, 100, Silver}, {115, 100, Green}}, true},
        {"shift on an empty spot adds green", true, {{100, 100, true, true}}, {{100, 100, Green}}, true},
        {"shift on a mark removes it", true, {{100, 100}, {103, 100, true, true}}, {{100, 100, RemovedMark}}, true},
        {"a removed mark is skipped: a new green one", true, {{100, 100}, {100, 100, true, true}, {101, 100}},
         {{100, 100, RemovedMark}, {101, 100, Green}}, true},
        {"shift over a removed mark adds green", true, {{100, 100}, {100, 100, true, true}, {100, 100, true, true}},
         {{100, 100, RemovedMark}, {100, 100, Green}}, true},
        {"later marks keep their indices", true, {{10, 10}, {100, 100}, {10, 10, true, true}, {100, 100}},
         {{10, 10, RemovedMark}, {100, 100, Silver}}, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<TMarkRec> marks;
        bool repaint = false;
        for (const TClick &click : c.Clicks)
            repaint = MarksMouseDown(marks, c.HaveStars, click.Right, click.Shift, click.X, click.Y);
        EXPECT_EQ(marks, c.Marks);
        EXPECT_EQ(repaint, c.LastRepaints);
    }
}

TEST(Marks, MarkAtTakesTheFirstLiveMarkWithinReach)
{
    const std::vector<TMarkRec> marks = {
        {100, 100, RemovedMark}, {120, 100, Aqua}, {112, 100, Green}, {300, 300, Navy}};
    struct Case {
        int32_t X, Y, Index;
    };
    const Case cases[] = {
        {100, 100, -1}, // only the removed mark and the third (12 away) are near
        {110, 100, 1},  // 10 from the second, 2 from the third: the first within reach wins
        {105, 100, 2},  // 15 from the second, 7 from the third
        {307, 307, 3},  // 9.9
        {308, 308, -1}, // 11.3
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.X << "," << c.Y);
        EXPECT_EQ(MarkAt(marks, c.X, c.Y), c.Index);
    }
    std::vector<TMarkRec> cleared = marks;
    ClearMarks(cleared);
    EXPECT_TRUE(cleared.empty());
}

// 0xBBGGRR to Qt's 0xAARRGGBB: red is the low byte.
TEST(Marks, ColorToRgb)
{
    EXPECT_EQ(ColorToRgb(0x800000), qRgb(0, 0, 128));   // navy
    EXPECT_EQ(ColorToRgb(0x0000FF), qRgb(255, 0, 0));   // red
    EXPECT_EQ(ColorToRgb(0x008000), qRgb(0, 128, 0));   // green
    EXPECT_EQ(ColorToRgb(0x123456), qRgb(0x56, 0x34, 0x12));
    EXPECT_EQ(ColorToRgb(0x7F000080), qRgb(0x80, 0, 0)); // bits above the colour are ignored
}

// The disc: 20 x 20 box, centre pixel filled, one-pixel outline, round and
// symmetric.
TEST(Marks, DiscShape)
{
    struct Case {
        int DX, DY;
        TDiscPixel Pixel;
    };
    const Case cases[] = {
        {10, 10, TDiscPixel::Fill},    // the mark's own pixel
        {0, 9, TDiscPixel::Outline},   // leftmost column, middle rows
        {0, 10, TDiscPixel::Outline},
        {0, 5, TDiscPixel::Outside},   // 9.5, 4.5 from the centre: 10.5
        {1, 10, TDiscPixel::Fill},
        {19, 10, TDiscPixel::Outline}, // the box's last column
        {10, 19, TDiscPixel::Outline},
        {7, 0, TDiscPixel::Outline},   // top row: columns 7..12
        {6, 0, TDiscPixel::Outside},
        {12, 0, TDiscPixel::Outline},
        {13, 0, TDiscPixel::Outside},
        {0, 0, TDiscPixel::Outside},
        {19, 19, TDiscPixel::Outside},
        {2, 2, TDiscPixel::Outside},   // 7.5, 7.5 from the centre: 10.6
        {2, 3, TDiscPixel::Outline},   // 7.5, 6.5: 9.9, next to (1, 3) outside
        {3, 3, TDiscPixel::Fill},      // 6.5, 6.5: 9.2, all four neighbours inside
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.DX << "," << c.DY);
        EXPECT_EQ(MarkDiscPixel(c.DX, c.DY), c.Pixel);
    }
    for (int dy = 0; dy < MarkBox; ++dy) {
        for (int dx = 0; dx < MarkBox; ++dx) {
            const TDiscPixel p = MarkDiscPixel(dx, dy);
            EXPECT_EQ(p, MarkDiscPixel(MarkBox - 1 - dx, dy));
            EXPECT_EQ(p, MarkDiscPixel(dx, MarkBox - 1 - dy));
            EXPECT_EQ(p, MarkDiscPixel(dy, dx));
        }
    }
}
