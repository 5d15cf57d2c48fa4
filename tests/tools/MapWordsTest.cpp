// The --map argument's words: what each makes of a mapping, and the word a
// mistake is blamed on.
#include "tools/host/MapWords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace {

// A mapping as Zephrin Map's stream keeps it: flags (1 on, 2 latch, 4
// velocity, 8 through), input channel, lowest key, highest key, controller,
// output channel, on value, off value.
using MappingBytes = std::array<uint8_t, kMapMappingBytes>;

MappingBytes BytesOf(const MapMapping& mapping) {
    MapSettings settings;
    settings.count = 1;
    settings.mappings[0] = mapping;
    uint8_t stream[kMapMaxStreamBytes];
    EncodeMapSettings(settings, stream);
    MappingBytes bytes;
    std::copy(stream + kMapHeaderBytes, stream + kMapHeaderBytes + kMapMappingBytes, bytes.begin());
    return bytes;
}

}  // namespace

TEST(MapSpec, WordsMakeTheMapping) {
    const struct {
        const char* spec;
        MappingBytes expected;
    } cases[] = {
        {"keys=96 cc=64", {0x01, 0, 96, 96, 64, 0, 127, 0}},
        {"  cc=0   keys=0-127 ", {0x01, 0, 0, 127, 0, 0, 127, 0}},
        {"keys=36-51 cc=1 ch=10 out=16", {0x01, 10, 36, 51, 1, 16, 127, 0}},
        {"keys=60 cc=64 ch=any out=same mode=held", {0x01, 0, 60, 60, 64, 0, 127, 0}},
        {"keys=60 cc=67 mode=latch on=0 off=127", {0x03, 0, 60, 60, 67, 0, 0, 127}},
        {"velocity keys=40-40 through cc=7 ch=1 out=1", {0x0D, 1, 40, 40, 7, 1, 127, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.spec);
        MapMapping got;
        std::string error;
        ASSERT_TRUE(ParseMapSpec(c.spec, got, error)) << error;
        EXPECT_EQ(BytesOf(got), c.expected);
    }
}

TEST(MapSpec, AMistakeNamesItsWordAndChangesNothing) {
    const struct {
        const char* spec;
        const char* error;
    } cases[] = {
        {"", "keys= is missing"},
        {"keys=60", "cc= is missing"},
        {"cc=64", "keys= is missing"},
        {"keys=128 cc=64", "keys=128: must be a key"},
        {"keys=-1 cc=64", "keys=-1: must be a key"},
        {"keys=61-60 cc=64", "keys=61-60: the lowest key comes first"},
        {"keys=60- cc=64", "keys=60-: must be a key"},
        {"keys=60 cc=+64", "cc=+64: must be 0 to 127"},
        {"keys=60 cc=64 ch=0", "ch=0: must be a channel, 1 to 16"},
        {"keys=60 cc=64 ch=same", "ch=same: must be a channel"},
        {"keys=60 cc=64 out=17", "out=17: must be a channel"},
        {"keys=60 cc=64 out=any", "out=any: must be a channel"},
        {"keys=60 cc=64 mode=toggle", "mode=toggle: must be held or latch"},
        {"keys=60 cc=64 on=200", "on=200: must be 0 to 127"},
        {"keys=60 cc=64 off=", "off=: must be 0 to 127"},
        {"keys=60 cc=64 on", "on: needs a value after ="},
        {"keys=60 cc=64 velocity=1", "velocity=1: takes no value"},
        {"keys=60 cc=64 cc=65", "cc=65: given twice"},
        {"keys=60 cc=64 Keys=61", "Keys=61: unknown word"},
        {"keys=60,cc=64", "keys=60,cc=64: must be a key"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.spec);
        MapMapping mapping;
        std::string error;
        EXPECT_FALSE(ParseMapSpec(c.spec, mapping, error));
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos);
        EXPECT_TRUE(mapping == MapMapping{});
    }
}
