// Zephrin Map's settings stream: its bytes, the round trip, and every way a
// stream can be refused, which must change nothing and tell the user.
#include "map/mfx/MapIds.h"
#include "tests/map/MapFixture.h"
#include "tests/support/MessageBoxCatcher.h"
#include "tests/support/Streams.h"

namespace {

const std::vector<uint8_t> kHeader = {'Z', 'M', 'a', 'p', 1, 0, 1, 8};
const std::vector<uint8_t> kDefaultMapping = {0x00, 0, 96, 96, 64, 0, 127, 0};

std::vector<uint8_t> DefaultBytes() {
    std::vector<uint8_t> bytes = kHeader;
    for (int i = 0; i < 8; ++i) {
        bytes.insert(bytes.end(), kDefaultMapping.begin(), kDefaultMapping.end());
        if (i == 0) bytes[8] = 0x01;  // mapping 1 is on
    }
    return bytes;
}

// Settings that use every field: what a refused load must leave in place.
MapSettings Distinctive() {
    MapSettings settings;
    settings.lookAheadFix = false;
    settings.count = 3;
    MapMapping m = Mapping(36, 51, 1);
    m.inChannel = 10;
    m.outChannel = 16;
    m.mode = MapMode::kLatch;
    m.onValue = 5;
    m.offValue = 126;
    m.velocity = true;
    m.through = true;
    settings.mappings[2] = m;
    return settings;
}

class MapStream : public MapFilterTest {
protected:
    // Loads the bytes, expecting a refusal with this text and no change.
    void ExpectRefused(const std::vector<uint8_t>& bytes, const char* text) {
        filter->SetSettings(Distinctive());
        CMessageBoxCatcher catcher;
        EXPECT_EQ(filter->Load(StreamWith(bytes).get()), S_OK) << "the host's project still opens";
        ASSERT_EQ(catcher.Caught().size(), 1u);
        EXPECT_EQ(catcher.Caught()[0].text, text);
        EXPECT_EQ(catcher.Caught()[0].buttons, (std::vector<std::string>{"OK"}));
        EXPECT_EQ(filter->Settings(), Distinctive());
        EXPECT_EQ(filter->IsDirty(), S_OK);
    }
};

constexpr char kFailed[] = "Load for Quillfen Zephrin Map settings failed.";

}  // namespace

TEST_F(MapStream, NewFilterSavesTheDefaultSeventyTwoBytes) {
    auto stream = StreamWith({});
    ASSERT_EQ(filter->Save(stream.get(), TRUE), S_OK);
    EXPECT_EQ(Contents(stream.get()), DefaultBytes());
    ULARGE_INTEGER size{};
    EXPECT_EQ(filter->GetSizeMax(&size), S_OK);
    EXPECT_EQ(size.QuadPart, 72u);
    CLSID clsid{};
    EXPECT_EQ(filter->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_ZephrinMapFilter));
}

TEST_F(MapStream, RoundTripRestoresEverySettingAndTheExactBytes) {
    filter->SetSettings(Distinctive());
    ULARGE_INTEGER size{};
    ASSERT_EQ(filter->GetSizeMax(&size), S_OK);
    EXPECT_EQ(size.QuadPart, 8u + 3 * 8) << "as many mappings as the settings hold";
    auto stream = StreamWith({});
    ASSERT_EQ(filter->Save(stream.get(), FALSE), S_OK);
    const std::vector<uint8_t> bytes = Contents(stream.get());
    EXPECT_EQ(bytes, (std::vector<uint8_t>{'Z', 'M', 'a', 'p', 1, 0, 0, 3,  //
                                           0, 0, 96, 96, 64, 0, 127, 0,    //
                                           0, 0, 96, 96, 64, 0, 127, 0,    //
                                           0x0F, 10, 36, 51, 1, 16, 5, 126}));

    CMfxZephrinMapFilter* second = new CMfxZephrinMapFilter();
    second->SetLookAheadFix(true);
    EXPECT_EQ(second->Load(StreamWith(bytes).get()), S_OK);
    EXPECT_EQ(second->Settings(), Distinctive());
    EXPECT_EQ(second->IsDirty(), S_FALSE);
    auto again = StreamWith({});
    ASSERT_EQ(second->Save(again.get(), TRUE), S_OK);
    EXPECT_EQ(Contents(again.get()), bytes);
    second->Release();
}

TEST_F(MapStream, EveryTruncationIsRefused) {
    const std::vector<uint8_t> bytes = DefaultBytes();
    for (size_t length = 0; length < bytes.size(); ++length) {
        SCOPED_TRACE(length);
        ExpectRefused(std::vector<uint8_t>(bytes.begin(), bytes.begin() + length), kFailed);
    }
}

TEST_F(MapStream, EveryFieldOutOfItsRangeIsRefused) {
    struct Row {
        size_t offset;
        uint8_t value;
    } rows[] = {
        {0, 'z'},  {4, 0},  {6, 2},  {7, 9},  // tag, version 0, fix, count
        {8, 0x10}, {9, 17}, {10, 128}, {11, 128}, {11, 95},  // flags, channel, keys (crossed)
        {12, 128}, {13, 17}, {14, 128}, {15, 128},  // controller, output channel, values
        {71, 200},  // the last mapping's off value
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "byte " << row.offset << " = " << int(row.value));
        std::vector<uint8_t> bytes = DefaultBytes();
        bytes[row.offset] = row.value;
        ExpectRefused(bytes, kFailed);
    }
}

TEST_F(MapStream, ANewerVersionSaysSo) {
    std::vector<uint8_t> bytes = DefaultBytes();
    bytes[4] = 2;
    bytes.push_back(0);  // whatever a newer format holds
    ExpectRefused(bytes, "These Quillfen Zephrin Map settings were saved by a newer version.");
}

TEST_F(MapStream, FailedWritesReturnStorageErrorsAndKeepDirty) {
    filter->SetLookAheadFix(false);
    for (const auto& [failure, expected] :
         {std::pair{STG_E_MEDIUMFULL, STG_E_MEDIUMFULL}, std::pair{E_FAIL, STG_E_CANTSAVE}}) {
        SCOPED_TRACE(failure);
        CFailingStream stream(failure, 0);
        EXPECT_EQ(filter->Save(&stream, TRUE), expected);
        EXPECT_EQ(filter->IsDirty(), S_OK);
    }
    EXPECT_EQ(filter->Load(nullptr), E_POINTER);
    EXPECT_EQ(filter->Save(nullptr, TRUE), E_POINTER);
    EXPECT_EQ(filter->GetSizeMax(nullptr), E_POINTER);
}
