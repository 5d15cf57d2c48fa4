// The settings stream against real ole32 streams, and a stream whose writes
// fail where a real one cannot be made to.
#include "zephrin/filter/ZephrinIds.h"
#include "tests/support/FilterFixture.h"
#include "tests/support/MessageBoxCatcher.h"

#include "tests/support/Streams.h"

#include <vector>

namespace {

const std::vector<uint8_t> kDefaultBytes = {0x60, 0, 0, 0, 0x40, 0, 0, 0,
                                            0x01, 0, 0, 0, 0x80, 0, 0, 0};

using SettingsStream = FilterTest;

}  // namespace

TEST_F(SettingsStream, NewFilterSavesTheDefaultSixteenBytes) {
    auto stream = StreamWith({});
    ASSERT_EQ(filter->Save(stream.get(), TRUE), S_OK);
    EXPECT_EQ(Contents(stream.get()), kDefaultBytes);

    ULARGE_INTEGER size{};
    size.QuadPart = ~0ull;
    filter->SetParam(0, 0, 12345);
    EXPECT_EQ(filter->GetSizeMax(&size), S_OK);
    EXPECT_EQ(size.QuadPart, 16u);

    CLSID clsid{};
    EXPECT_EQ(filter->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_ZephrinFilter));
}

TEST_F(SettingsStream, RoundTripRestoresEverySettingAsStoredAndClearsDirty) {
    CCountingPageLink page;
    page.Attach(filter);
    filter->SetParam(0, 0, 300);  // out of range values load as they are
    filter->SetParam(0, 1, 7);
    filter->SetParam(1, 0, 0);
    filter->SetParam(1, 1, -2);
    auto stream = StreamWith({});
    ASSERT_EQ(filter->Save(stream.get(), FALSE), S_OK);

    CMfxZephrinFilter* second = new CMfxZephrinFilter();
    second->m_dirty = 1;
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(second->Load(stream.get()), S_OK);
    EXPECT_EQ(second->GetParam(0, 0), 300);
    EXPECT_EQ(second->GetParam(0, 1), 7);
    EXPECT_EQ(second->GetParam(1, 0), 0);
    EXPECT_EQ(second->GetParam(1, 1), -2);
    EXPECT_EQ(second->IsDirty(), S_FALSE);
    second->Release();

    // Loading the defaults back into the first filter refreshes its page.
    auto defaults = StreamWith(kDefaultBytes);
    filter->m_dirty = 1;
    EXPECT_EQ(filter->Load(defaults.get()), S_OK);
    EXPECT_EQ(filter->GetParam(0, 0), 96);
    EXPECT_EQ(filter->GetParam(1, 1), 128);
    EXPECT_EQ(filter->IsDirty(), S_FALSE);
    EXPECT_EQ(page.refreshes, 1);
    page.Detach();
}

TEST_F(SettingsStream, ShortStreamKeepsWhatWasReadAndTellsTheUser) {
    CCountingPageLink page;
    page.Attach(filter);
    filter->m_dirty = 1;
    filter->SetParam(1, 0, 5);
    auto stream = StreamWith({10, 0, 0, 0, 20, 0, 0, 0});
    {
        CMessageBoxCatcher catcher;
        EXPECT_EQ(filter->Load(stream.get()), S_OK);
        ASSERT_EQ(catcher.Caught().size(), 1u);
        EXPECT_EQ(catcher.Caught()[0].text, "Load for Quillfen MFX Zephrin settings failed.");
        EXPECT_EQ(catcher.Caught()[0].buttons, (std::vector<std::string>{"OK"}));
    }
    EXPECT_EQ(filter->GetParam(0, 0), 10);
    EXPECT_EQ(filter->GetParam(0, 1), 20);
    EXPECT_EQ(filter->GetParam(1, 0), 5);
    EXPECT_EQ(filter->GetParam(1, 1), 128);
    EXPECT_EQ(filter->IsDirty(), S_OK) << "a failed load leaves the dirty flag";
    EXPECT_EQ(page.refreshes, 0) << "a failed load does not refresh the page";
    page.Detach();
}

TEST_F(SettingsStream, TornValueFailsWithoutStoringIt) {
    auto stream = StreamWith({1, 0, 0, 0, 2, 0});
    CMessageBoxCatcher catcher;
    EXPECT_EQ(filter->Load(stream.get()), S_OK);
    EXPECT_EQ(catcher.Caught().size(), 1u);
    EXPECT_EQ(filter->GetParam(0, 0), 1);
    EXPECT_EQ(filter->GetParam(0, 1), 64);
}

TEST_F(SettingsStream, FailedWritesReturnStorageErrorsAndKeepDirty) {
    struct Row {
        HRESULT failure;
        HRESULT expected;
    } rows[] = {{STG_E_MEDIUMFULL, STG_E_MEDIUMFULL},
                {E_FAIL, STG_E_CANTSAVE},
                {STG_E_ACCESSDENIED, STG_E_CANTSAVE}};
    filter->m_dirty = 1;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.failure);
        CFailingStream stream(row.failure, 2);
        EXPECT_EQ(filter->Save(&stream, TRUE), row.expected);
        EXPECT_EQ(stream.writes, 3) << "stops at the first failure";
        EXPECT_EQ(filter->IsDirty(), S_OK);
    }
    CFailingStream positive(S_FALSE, 0);  // not a failure code
    EXPECT_EQ(filter->Save(&positive, FALSE), S_OK);
    EXPECT_EQ(filter->IsDirty(), S_OK) << "fClearDirty 0 leaves a dirty filter dirty";
    EXPECT_EQ(filter->Save(&positive, TRUE), S_OK);
    EXPECT_EQ(filter->IsDirty(), S_FALSE);
}

TEST_F(SettingsStream, NullArgumentsAreRefused) {
    EXPECT_EQ(filter->Load(nullptr), E_POINTER);
    EXPECT_EQ(filter->Save(nullptr, TRUE), E_POINTER);
    EXPECT_EQ(filter->GetSizeMax(nullptr), E_POINTER);
    EXPECT_EQ(filter->GetClassID(nullptr), E_POINTER);
}
