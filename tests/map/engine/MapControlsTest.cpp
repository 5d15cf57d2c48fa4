// The settings as a host's controls: the numbers a host hands over, however
// odd, become a valid mapping, and a mapping's numbers come back as it was.
#include "map/engine/MapControls.h"
#include "map/engine/MapSetups.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace {

TEST(MapControls, HostNumbersAreRoundedAndClampedNeverTrusted) {
    struct Case {
        MapControl control;
        double number;
        int value;
    } const cases[] = {
        {MapControl::kLowKey, 59.6, 60},        {MapControl::kLowKey, 60.4, 60},
        {MapControl::kLowKey, -3, 0},           {MapControl::kLowKey, 1e30, 127},
        {MapControl::kLowKey, NAN, 96},         {MapControl::kLowKey, -INFINITY, 0},
        {MapControl::kChannel, 16.49, 16},      {MapControl::kChannel, 17, 16},
        {MapControl::kOn, 0.4, 0},              {MapControl::kOn, 0.6, 1},
        {MapControl::kOn, 7, 1},                {MapControl::kMode, -0.2, 0},
        {MapControl::kOffValue, 126.5, 127},    {MapControl::kOutChannel, NAN, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(MapControlAbout(c.control).symbol) + " " +
                     std::to_string(c.number));
        EXPECT_EQ(MapControlValue(1, c.control, c.number), c.value);
    }
    EXPECT_EQ(MapControlValue(0, MapControl::kOn, NAN), 1) << "mapping 1 is on by default";
}

TEST(MapControls, MappingsComeBackAsTheyWentAndCrossedKeysTakeNothing) {
    const MapSettings pedals = MapSetup(1, true);
    const MapSettings defaults = MapSettings::Defaults();
    for (int i = 0; i < kMapMaxMappings; ++i) {
        SCOPED_TRACE(i);
        float numbers[kMapControls];
        MapControlsFromMapping(pedals.mappings[i], numbers);
        EXPECT_EQ(MapMappingFromControls(i, numbers), pedals.mappings[i]);
        for (int c = 0; c < kMapControls; ++c)
            numbers[c] = static_cast<float>(MapControlDefault(i, static_cast<MapControl>(c)));
        EXPECT_EQ(MapMappingFromControls(i, numbers), defaults.mappings[i]);
    }
    float crossed[kMapControls];
    MapControlsFromMapping(MapHeld(60, 60, 64), crossed);
    crossed[static_cast<int>(MapControl::kLowKey)] = 70;
    const MapMapping taken = MapMappingFromControls(0, crossed);
    EXPECT_FALSE(taken.on);
    EXPECT_TRUE(taken.IsValid());
}

TEST(MapControls, SymbolsNamesAndChoicesReadAsHostsShowThem) {
    char symbol[16];
    char name[40];
    ASSERT_TRUE(MapControlSymbol(7, MapControl::kOnValue, symbol, sizeof symbol));
    ASSERT_TRUE(MapControlName(2, MapControl::kLowKey, name, sizeof name));
    EXPECT_STREQ(symbol, "m8_on_value");
    EXPECT_STREQ(name, "Mapping 3 lowest key");
    EXPECT_FALSE(MapControlSymbol(0, MapControl::kOutChannel, symbol, 6)) << "m1_out needs 7";
    EXPECT_STREQ(MapControlChoice(MapControl::kChannel, 0), "Any");
    EXPECT_STREQ(MapControlChoice(MapControl::kOutChannel, 0), "Note's own");
    EXPECT_STREQ(MapControlChoice(MapControl::kOutChannel, 16), "Channel 16");
    EXPECT_STREQ(MapControlChoice(MapControl::kMode, 1), "Latch");
    EXPECT_STREQ(MapControlChoice(MapControl::kController, 64), "Sustain pedal");
    EXPECT_EQ(MapControlChoice(MapControl::kController, 3), nullptr);
    EXPECT_EQ(MapControlChoice(MapControl::kLowKey, 60), nullptr);
}

TEST(MapControls, LearningSetsKeysAndAListenedChannelAndKeepsTheHostsOtherNumbers) {
    auto at = [](float (&numbers)[kMapControls], MapControl c) -> float& {
        return numbers[static_cast<int>(c)];
    };
    for (const int channel : {0, 3}) {
        SCOPED_TRACE(channel);
        float numbers[kMapControls];
        MapControlsFromMapping(MapHeld(60, 60, 1), numbers);
        at(numbers, MapControl::kChannel) = static_cast<float>(channel);
        at(numbers, MapControl::kLowKey) = 70;  // crossed: takes nothing until it learns
        float expected[kMapControls];
        std::copy(std::begin(numbers), std::end(numbers), expected);
        at(expected, MapControl::kLowKey) = at(expected, MapControl::kHighKey) = 50;
        if (channel) at(expected, MapControl::kChannel) = 5;
        MapControlsLearn(0, numbers, 50, 4);
        EXPECT_TRUE(std::equal(std::begin(numbers), std::end(numbers), expected));
        EXPECT_TRUE(MapMappingFromControls(0, numbers).on);
    }
}

}  // namespace
