// Slider settings and labels at every position of both sliders, and which
// trackbar requests change a setting.
#include "display/sliders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

TEST(OffsetSlider, EveryPosition)
{
    struct Row { int32_t position; const char* label; int32_t multiplier; };
    const Row rows[] = {
        {10, "Offset + 0dB", 1},       {9, "Offset + 10dB", 3},
        {8, "Offset + 20dB", 10},      {7, "Offset + 30dB", 32},
        {6, "Offset + 40dB", 100},     {5, "Offset + 50dB", 316},
        {4, "Offset + 60dB", 1000},    {3, "Offset + 70dB", 3162},
        {2, "Offset + 80dB", 10000},   {1, "Offset + 90dB", 31623},
        {0, "Offset + 100dB", 100000},
    };
    for (const Row& row : rows) {
        const display::OffsetSetting setting = display::OffsetSettingAt(row.position);
        EXPECT_EQ(setting.label, row.label) << "position " << row.position;
        EXPECT_EQ(setting.multiplier, row.multiplier) << "position " << row.position;
    }
}

TEST(OffsetSlider, PositionsBeyondTheRangeTakeTheNearestEnd)
{
    EXPECT_EQ(display::OffsetSettingAt(-1).multiplier, 100000);
    EXPECT_EQ(display::OffsetSettingAt(-65535).label, "Offset + 100dB");
    EXPECT_EQ(display::OffsetSettingAt(display::OffsetSliderMax + 1).multiplier, 1);
    EXPECT_EQ(display::OffsetSettingAt(65535).label, "Offset + 0dB");
}

TEST(AveragesSlider, LabelsAtKeyPositions)
{
    struct Row { int32_t position; const char* label; };
    const Row rows[] = {
        {100, "1.0 Averages"}, {99, "1.1 Averages"}, {90, "2.0 Averages"},
        {80, "4.0 Averages"},  {79, "4.3 Averages"}, {67, "9.8 Averages"},
        {66, "11 Averages"},   {50, "32 Averages"},  {21, "239 Averages"},
        {20, "256 Averages"},  {0, "1024 Averages"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(display::AveragesSettingAt(row.position).label, row.label)
            << "position " << row.position;
}

TEST(AveragesSlider, WholeStepsGiveExactPowersOfTwo)
{
    struct Row { int32_t position; float factor; };
    const Row rows[] = {{100, 1.0f}, {90, 0.5f}, {80, 0.25f}, {50, 1.0f / 32},
                        {10, 1.0f / 512}, {0, 1.0f / 1024}};
    for (const Row& row : rows)
        EXPECT_EQ(display::AveragesSettingAt(row.position).factor, row.factor)
            << "position " << row.position;
}

TEST(AveragesSlider, EveryPositionCountsUpFromOneTo1024)
{
    float previous = 2.0f;
    for (int32_t position = display::AveragesSliderMax; position >= 0; --position) {
        const display::AveragesSetting setting = display::AveragesSettingAt(position);
        const double exact = std::pow(2.0, (display::AveragesSliderMax - position) / 10.0);
        EXPECT_NEAR(setting.factor, 1.0 / exact, 1e-7 / exact) << "position " << position;
        EXPECT_LT(setting.factor, previous) << "position " << position;
        previous = setting.factor;

        // One decimal up to 10 averages, whole numbers above; N is never 10.
        const std::string& label = setting.label;
        ASSERT_GT(label.size(), 9u);
        EXPECT_EQ(label.substr(label.size() - 9), " Averages");
        const std::string number = label.substr(0, label.size() - 9);
        EXPECT_EQ(number.find('.') != std::string::npos, position >= 67) << label;
        EXPECT_NEAR(std::atof(number.c_str()), exact, position >= 67 ? 0.05 : 0.5) << label;
    }
}

TEST(AveragesSlider, PositionsBeyondTheRangeTakeTheNearestEnd)
{
    EXPECT_EQ(display::AveragesSettingAt(-3).label, "1024 Averages");
    EXPECT_EQ(display::AveragesSettingAt(display::AveragesSliderMax + 1).factor, 1.0f);
}

TEST(SliderRequest, PositionToApply)
{
    // Thumb drags carry the position; moves by keyboard, wheel, page clicks
    // and the end of a move are read back from the control.
    struct Row { int32_t code; bool applies; bool fromThumb; };
    const Row rows[] = {
        {0, true, false}, {1, true, false}, {2, true, false}, {3, true, false},
        {4, true, true},  {5, true, true},  {6, true, false}, {7, true, false},
        {8, true, false}, {9, false, false}, {-1, false, false},
        {1005, false, false}, {1024, false, false}, {0xFFFF, false, false},
    };
    for (const Row& row : rows) {
        const std::optional<int32_t> position = display::SliderPosition(row.code, 7, 3);
        ASSERT_EQ(position.has_value(), row.applies) << "code " << row.code;
        if (row.applies) {
            EXPECT_EQ(*position, row.fromThumb ? 7 : 3) << "code " << row.code;
        }
    }
}

TEST(SliderRequest, KeyboardMoveReachesTheSetting)
{
    // A page-down from the top leaves the control at 2: the settings follow it.
    const std::optional<int32_t> position =
        display::SliderPosition(display::SliderPageDown, 0, 2);
    ASSERT_TRUE(position.has_value());
    EXPECT_EQ(display::OffsetSettingAt(*position).label, "Offset + 80dB");
    EXPECT_EQ(display::OffsetSettingAt(*position).multiplier, 10000);
}

}  // namespace
