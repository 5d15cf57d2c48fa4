// Zephrin Map's page as a frame and a person drive it: every control of a
// row writes the setting it shows, the keys never cross, rows that are off,
// the ready set-ups, Learn, changes arriving from other threads, and the
// link to the filter in every order of going away.
#include "tests/map/MapPageFixture.h"

#include "common/NoteLabel.h"
#include "map/resources/resource.h"

#include <cstring>
#include <vector>

using MapPageControls = MapPageTest;
using MapPageUpdates = MapPageTest;
using MapPageLink = MapPageTest;

namespace {

// Every row on, none like another, and not one of the set-ups.
MapSettings EightRows() {
    MapSettings settings;
    settings.lookAheadFix = false;
    for (int row = 0; row < kMapMaxMappings; ++row) {
        MapMapping m = Mapping(static_cast<uint8_t>(60 + row), static_cast<uint8_t>(72 + row), 64);
        m.onValue = 100;
        m.offValue = 10;
        settings.mappings[row] = m;
    }
    return settings;
}

enum class Act { kClick, kDown, kUp, kWheelUp, kWheelDown, kType };

}  // namespace

TEST_F(MapPageControls, EveryControlWritesTheSettingItShows) {
    ASSERT_EQ(Activate(), S_OK);
    const struct {
        MapField field;
        Act act;
        const char* typed;
        int expected;
        const char* shown;  // the box's text; null for the other controls
    } rows[] = {
        {MapField::kOn, Act::kClick, nullptr, 0, nullptr},
        {MapField::kInChannel, Act::kDown, nullptr, 1, nullptr},
        {MapField::kLowKey, Act::kType, "D3", 62, "D3 (62)"},
        {MapField::kLowKey, Act::kType, "c#3", 61, "C#3 (61)"},
        {MapField::kLowKey, Act::kType, " 50 ", 50, "D2 (50)"},
        {MapField::kLowKey, Act::kUp, nullptr, 61, "C#3 (61)"},
        {MapField::kHighKey, Act::kWheelDown, nullptr, 71, "B3 (71)"},
        {MapField::kHighKey, Act::kType, "Db5 (84)", 84, "C5 (84)"},
        {MapField::kController, Act::kDown, nullptr, 65, nullptr},
        {MapField::kMode, Act::kDown, nullptr, 1, nullptr},
        {MapField::kOnValue, Act::kType, "90", 90, "90"},
        {MapField::kOnValue, Act::kDown, nullptr, 99, "99"},
        {MapField::kOffValue, Act::kWheelUp, nullptr, 11, "11"},
        {MapField::kVelocity, Act::kClick, nullptr, 1, nullptr},
        {MapField::kThrough, Act::kClick, nullptr, 1, nullptr},
        {MapField::kOutChannel, Act::kDown, nullptr, 1, nullptr},
    };
    MapSettings base = EightRows();
    base.mappings[7] = base.mappings[0];  // the first and last rows, alike
    for (int row : {0, 7}) {
        for (const auto& step : rows) {
            SCOPED_TRACE(testing::Message()
                         << "row " << row << ", field " << static_cast<int>(step.field) << ", act "
                         << static_cast<int>(step.act));
            Load(base);
            Pump();
            Clean();
            switch (step.act) {
            case Act::kClick: Click(row, step.field); break;
            case Act::kDown: Key(row, step.field, VK_DOWN); break;
            case Act::kUp: Key(row, step.field, VK_UP); break;
            case Act::kWheelUp: Wheel(row, step.field, 1); break;
            case Act::kWheelDown: Wheel(row, step.field, -1); break;
            case Act::kType: Type(row, step.field, step.typed); break;
            }
            const MapSettings after = filter->Settings();
            EXPECT_EQ(MapFieldValue(after.mappings[row], step.field), step.expected);
            MapSettings others = base;
            others.mappings[row] = after.mappings[row];
            EXPECT_EQ(after, others) << "only the row's own setting changed";
            EXPECT_EQ(filter->IsDirty(), S_OK);
            EXPECT_EQ(page->IsPageDirty(), S_OK);
            EXPECT_EQ(site.dirtyCalls, 1);
            if (step.shown) {
                EXPECT_EQ(Text(row, step.field), step.shown);
            } else if (step.act == Act::kClick) {
                EXPECT_EQ(Send(Item(row, step.field), BM_GETCHECK), step.expected);
            } else {
                EXPECT_EQ(Send(Item(row, step.field), CB_GETCURSEL), step.expected);
            }
        }
    }
    EXPECT_EQ(site.otherCalls, 0);
    EXPECT_EQ(page->Deactivate(), S_OK);
}

TEST_F(MapPageControls, KeysNeverCrossAndWhatIsNoValueChangesNothing) {
    ASSERT_EQ(Activate(), S_OK);
    const struct {
        MapField field;
        const char* typed;  // null: the up arrow
        int low, high;
        bool edit;
    } rows[] = {
        {MapField::kLowKey, "80", 80, 80, true},   // past the highest: both move
        {MapField::kHighKey, "C2", 48, 48, true},  // below the lowest: both move
        {MapField::kLowKey, "72", 72, 72, true},
        {MapField::kLowKey, "H3", 60, 72, false},
        {MapField::kHighKey, "128", 60, 72, false},
        {MapField::kHighKey, "", 60, 72, false},
        {MapField::kLowKey, "C3 (60) and more", 60, 72, false},
        {MapField::kOnValue, "C3", 60, 72, false},
    };
    for (const auto& step : rows) {
        SCOPED_TRACE(step.typed);
        Load(EightRows());
        Pump();
        Clean();
        const std::string shownBefore = Text(0, step.field);
        Type(0, step.field, step.typed);
        const MapMapping m = filter->Settings().mappings[0];
        EXPECT_EQ(m.lowKey, step.low);
        EXPECT_EQ(m.highKey, step.high);
        EXPECT_EQ(filter->IsDirty(), step.edit ? S_OK : S_FALSE);
        EXPECT_EQ(site.dirtyCalls, step.edit ? 1 : 0);
        if (!step.edit) {
            EXPECT_EQ(Text(0, step.field), shownBefore) << "the setting shows again";
        }
        EXPECT_EQ(Text(0, MapField::kHighKey), std::string(CNoteLabel(m.highKey)));
    }
    // Stepping past either end changes nothing.
    MapSettings ends = EightRows();
    ends.mappings[0].highKey = 127;
    ends.mappings[0].lowKey = 0;
    Load(ends);
    Pump();
    Clean();
    Key(0, MapField::kHighKey, VK_UP);
    Wheel(0, MapField::kLowKey, -1);
    EXPECT_EQ(filter->Settings(), ends);
    EXPECT_EQ(site.dirtyCalls, 0);
    EXPECT_EQ(page->Deactivate(), S_OK);
}

TEST_F(MapPageControls, ARowThatIsOffKeepsItsValuesGreyed) {
    ASSERT_EQ(Activate(), S_OK);
    Load(EightRows());
    Pump();
    Click(3, MapField::kOn);
    EXPECT_FALSE(filter->Settings().mappings[3].on);
    for (int field = 1; field < kMapFields; ++field) {
        SCOPED_TRACE(field);
        EXPECT_FALSE(IsWindowEnabled(Item(3, static_cast<MapField>(field))));
        EXPECT_TRUE(IsWindowEnabled(Item(2, static_cast<MapField>(field))));
    }
    EXPECT_TRUE(IsWindowEnabled(Item(3, MapField::kOn)));
    EXPECT_EQ(Text(3, MapField::kLowKey), "D#3 (63)");
    Click(3, MapField::kOn);
    EXPECT_TRUE(IsWindowEnabled(Item(3, MapField::kController)));
    MapSettings expected = EightRows();
    EXPECT_EQ(filter->Settings(), expected);
    EXPECT_EQ(page->Deactivate(), S_OK);
}

TEST_F(MapPageControls, StartFromReplacesEveryMappingAsOneEdit) {
    ASSERT_EQ(Activate(), S_OK);
    HWND startFrom = Item(IDC_START_FROM);
    const struct {
        int index;
        int row;
        const char* low;
        const char* high;
        const char* controller;
        int mode, velocity;
    } setups[] = {
        {1, 2, "E6 (100)", "E6 (100)", "67 Soft pedal", 0, 0},
        {2, 0, "C6 (96)", "C6 (96)", "64 Sustain pedal", 1, 0},
        {3, 0, "C1 (36)", "D#2 (51)", "1 Modulation", 0, 1},
        {0, 0, "C6 (96)", "C6 (96)", "64 Sustain pedal", 0, 0},
    };
    for (const auto& setup : setups) {
        SCOPED_TRACE(setup.index);
        Load(EightRows());
        Pump();
        Clean();
        EXPECT_EQ(Send(startFrom, CB_GETCURSEL), CB_ERR) << "eight custom rows are no set-up";
        Send(startFrom, CB_SETCURSEL, setup.index);
        Send(PageWindow(), WM_COMMAND, MAKEWPARAM(IDC_START_FROM, CBN_SELCHANGE),
             reinterpret_cast<LPARAM>(startFrom));
        const MapSettings after = filter->Settings();
        EXPECT_FALSE(after.lookAheadFix) << "the look-ahead fix is no mapping";
        int on = 0;
        for (const MapMapping& m : after.mappings) on += m.on;
        EXPECT_EQ(on, setup.index == 1 ? 3 : 1);
        EXPECT_EQ(Text(setup.row, MapField::kLowKey), setup.low);
        EXPECT_EQ(Text(setup.row, MapField::kHighKey), setup.high);
        const LRESULT controller = Send(Item(setup.row, MapField::kController), CB_GETCURSEL);
        wchar_t name[40] = {};
        Send(Item(setup.row, MapField::kController), CB_GETLBTEXT, controller,
             reinterpret_cast<LPARAM>(name));
        EXPECT_EQ(std::wstring(name),
                  std::wstring(setup.controller, setup.controller + std::strlen(setup.controller)));
        EXPECT_EQ(Send(Item(setup.row, MapField::kMode), CB_GETCURSEL), setup.mode);
        EXPECT_EQ(Send(Item(setup.row, MapField::kVelocity), BM_GETCHECK), setup.velocity);
        EXPECT_FALSE(IsWindowEnabled(Item(7, MapField::kLowKey)));
        EXPECT_EQ(site.dirtyCalls, 1);
        EXPECT_EQ(filter->IsDirty(), S_OK);
    }
    // The look-ahead box is an edit of its own.
    Clean();
    Send(Item(IDC_MAP_LOOKAHEAD_FIX), BM_CLICK);
    EXPECT_TRUE(filter->Settings().lookAheadFix);
    EXPECT_EQ(site.dirtyCalls, 1);
    EXPECT_EQ(Send(startFrom, CB_GETCURSEL), 0) << "still the sustain set-up";
    EXPECT_EQ(page->Deactivate(), S_OK);
}

TEST_F(MapPageControls, ListsNameTheirItems) {
    ASSERT_EQ(Activate(), S_OK);
    const struct {
        MapField field;
        int index;
        const wchar_t* text;
    } items[] = {
        {MapField::kInChannel, 0, L"Any"},
        {MapField::kInChannel, 16, L"16"},
        {MapField::kOutChannel, 0, L"Same"},
        {MapField::kOutChannel, 1, L"1"},
        {MapField::kMode, 0, L"Held"},
        {MapField::kMode, 1, L"Latch"},
        {MapField::kController, 0, L"0 Bank select"},
        {MapField::kController, 3, L"3"},
        {MapField::kController, 7, L"7 Volume"},
        {MapField::kController, 64, L"64 Sustain pedal"},
        {MapField::kController, 66, L"66 Sostenuto"},
        {MapField::kController, 127, L"127 Poly on"},
    };
    for (const auto& item : items) {
        SCOPED_TRACE(static_cast<int>(item.field));
        HWND list = Item(5, item.field);
        EXPECT_EQ(Send(list, CB_GETCOUNT), MapFieldMax(item.field) + 1);
        wchar_t text[40] = {};
        Send(list, CB_GETLBTEXT, item.index, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(text, item.text);
    }
    EXPECT_EQ(Send(Item(IDC_START_FROM), CB_GETCOUNT), kMapSetups);
    EXPECT_EQ(page->Deactivate(), S_OK);
}

// Tab runs row by row, then through the filter's own controls below.
TEST_F(MapPageControls, TabOrderRunsRowByRow) {
    ASSERT_EQ(Activate(), S_OK);
    EXPECT_EQ(GetFocus(), Item(0, MapField::kOn)) << "the page opens on the first row";
    Load(EightRows());
    Pump();
    std::vector<int> expected;
    for (int row = 0; row < kMapMaxMappings; ++row)
        for (int field = 0; field < kMapFields; ++field)
            expected.push_back(Id(row, static_cast<MapField>(field)));
    expected.push_back(IDC_START_FROM);
    expected.push_back(IDC_MAP_LOOKAHEAD_FIX);
    std::vector<int> order;
    HWND first = GetNextDlgTabItem(PageWindow(), nullptr, FALSE);
    for (HWND at = first; at && order.size() <= expected.size();) {
        order.push_back(GetDlgCtrlID(at));
        at = GetNextDlgTabItem(PageWindow(), at, FALSE);
        if (at == first) break;
    }
    EXPECT_EQ(order, expected);
    EXPECT_EQ(page->Deactivate(), S_OK);
}

TEST_F(MapPageControls, FitsAFrameOnA1366By768Screen) {
    PROPPAGEINFO info = {};
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_STREQ(info.pszTitle, L"Quillfen Zephrin Map");
    CoTaskMemFree(info.pszTitle);
    ASSERT_EQ(Activate(), S_OK);
    RECT size = {0, 0, 552, 172};
    MapDialogRect(PageWindow(), &size);
    EXPECT_EQ(info.size.cx, size.right);
    EXPECT_EQ(info.size.cy, size.bottom);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96);
    ReleaseDC(nullptr, screen);
    // The frame adds its caption, borders, tabs and buttons: some 120 pixels
    // down and 30 across here, less than the room left on such a screen.
    EXPECT_LE(info.size.cx, 1366 - 100);
    EXPECT_LE(info.size.cy, 768 - 40 - 200);
    // Every control lies within the page.
    const RECT pageRect = {0, 0, info.size.cx, info.size.cy};
    for (HWND child = GetWindow(PageWindow(), GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, PageWindow(), reinterpret_cast<POINT*>(&rect), 2);
        char name[32] = {};
        GetClassNameA(child, name, sizeof name);
        if (std::string(name) == "ComboBox") rect.bottom = rect.top + 12;  // the list drops below
        RECT inside;
        IntersectRect(&inside, &rect, &pageRect);
        EXPECT_TRUE(EqualRect(&inside, &rect)) << "control " << GetDlgCtrlID(child);
    }
    EXPECT_EQ(page->Deactivate(), S_OK);
}

TEST_F(MapPageUpdates, LearnAndItsCancelMarkNothing) {
    ASSERT_EQ(Activate(), S_OK);
    Clean();
    EXPECT_EQ(Text(2, MapField::kLearn), "Learn");
    Click(2, MapField::kLearn);
    EXPECT_EQ(filter->Learning(), 2);
    EXPECT_EQ(Text(2, MapField::kLearn), "Learning~");
    Click(5, MapField::kLearn);
    EXPECT_EQ(filter->Learning(), 5) << "another row takes learn mode over";
    EXPECT_EQ(Text(2, MapField::kLearn), "Learn");
    EXPECT_EQ(Text(5, MapField::kLearn), "Learning~");
    Click(5, MapField::kLearn);
    EXPECT_EQ(filter->Learning(), -1) << "a second press cancels";
    EXPECT_EQ(Text(5, MapField::kLearn), "Learn");
    EXPECT_EQ(filter->IsDirty(), S_FALSE);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    EXPECT_EQ(site.dirtyCalls, 0);
    EXPECT_EQ(page->Deactivate(), S_OK);
}

// The host's threads never wait for the user interface: a key learned and
// settings loaded while this window thread handles no messages, which show
// once it does.
TEST_F(MapPageUpdates, ChangesFromOtherThreadsShowWithoutWaitingForThePage) {
    ASSERT_EQ(Activate(), S_OK);
    Load(EightRows());
    Pump();
    MapSettings listening = EightRows();
    listening.mappings[4].inChannel = 2;
    Load(listening);
    Pump();
    Click(4, MapField::kLearn);
    CTestDataQueue in({Live(0x95, 84, 90)}), out;
    ASSERT_TRUE(FinishesWithoutThisThread([&] { filter->OnInput(&in, &out); }))
        << "OnInput waited for the window thread";
    EXPECT_TRUE(out.records.empty());
    EXPECT_EQ(Text(4, MapField::kLowKey), "E3 (64)") << "nothing shows before messages are handled";
    Pump();
    EXPECT_EQ(Text(4, MapField::kLowKey), "C5 (84)");
    EXPECT_EQ(Text(4, MapField::kHighKey), "C5 (84)");
    EXPECT_EQ(Send(Item(4, MapField::kInChannel), CB_GETCURSEL), 6) << "the note's channel, 6";
    EXPECT_EQ(Text(4, MapField::kLearn), "Learn");

    MapSettings pedals = MapSetup(1, true);
    ASSERT_TRUE(FinishesWithoutThisThread([&] { Load(pedals); }));
    ASSERT_TRUE(FinishesWithoutThisThread([&] { Load(pedals); }));
    Pump();
    EXPECT_EQ(Text(1, MapField::kLowKey), "D6 (98)");
    EXPECT_FALSE(IsWindowEnabled(Item(4, MapField::kLowKey)));
    EXPECT_EQ(Send(Item(IDC_MAP_LOOKAHEAD_FIX), BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(Send(Item(IDC_START_FROM), CB_GETCURSEL), 1);
    // A load on the window's own thread is posted the same way.
    Load(EightRows());
    Pump();
    EXPECT_EQ(Text(1, MapField::kLowKey), "C#3 (61)");
    EXPECT_EQ(page->Deactivate(), S_OK);
}

TEST_F(MapPageLink, FilterGoingFirstLeavesAnActivePageHarmless) {
    ASSERT_EQ(Activate(), S_OK);
    EXPECT_EQ(filter->Release(), 0u);
    filter = nullptr;
    Click(0, MapField::kOn);
    Click(0, MapField::kLearn);
    Type(0, MapField::kLowKey, "60");
    Key(0, MapField::kOnValue, VK_UP);
    Send(Item(IDC_MAP_LOOKAHEAD_FIX), BM_CLICK);
    Pump();
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    EXPECT_EQ(site.dirtyCalls, 0);
    EXPECT_EQ(page->Deactivate(), S_OK);
}

TEST_F(MapPageLink, PageGoingFirstIsNeverReachedAgain) {
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way == 0   ? "released while active"
                     : way == 1 ? "after Deactivate"
                                : "never active");
        if (way < 2) {
            ASSERT_EQ(Activate(), S_OK);
        }
        Click(0, MapField::kLearn);
        if (way == 1) {
            ASSERT_EQ(page->Deactivate(), S_OK);
        }
        filter->SetLearning(0);
        EXPECT_EQ(page->Release(), 0u);
        EXPECT_EQ(DialogWindows(parent.get()), 0);
        // A learned key and a load post to the page's window, if any.
        CTestDataQueue in({Live(0x90, 72, 90)}), out;
        EXPECT_EQ(filter->OnInput(&in, &out), S_OK);
        Load(filter->Settings());
        Pump();
        EXPECT_EQ(filter->Settings().mappings[0].lowKey, 72);
        page = new (std::nothrow) CMfxZephrinMapPropPage();
        ASSERT_EQ(Attach(page, Unknown(filter)), S_OK);
    }
}

// The frame may hand the page another filter, or another page the filter.
TEST_F(MapPageLink, ASecondSetObjectsMovesTheLink) {
    ASSERT_EQ(Activate(), S_OK);
    CMfxZephrinMapFilter* second = new CMfxZephrinMapFilter();
    second->SetSettings(MapSetup(3, true));
    ASSERT_EQ(Attach(page, Unknown(second)), S_OK);
    EXPECT_EQ(Text(0, MapField::kLowKey), "C1 (36)") << "the new filter shows at once";
    Load(EightRows());  // the first filter's refresh reaches no page now
    Pump();
    EXPECT_EQ(Text(0, MapField::kLowKey), "C1 (36)");
    Type(0, MapField::kLowKey, "40");
    EXPECT_EQ(second->Settings().mappings[0].lowKey, 40);
    EXPECT_EQ(filter->Settings().mappings[0].lowKey, 60);

    CMfxZephrinMapPropPage* other = new (std::nothrow) CMfxZephrinMapPropPage();
    ASSERT_EQ(Attach(other, Unknown(second)), S_OK);
    Type(0, MapField::kLowKey, "45");
    EXPECT_EQ(second->Settings().mappings[0].lowKey, 40) << "the first page edits nothing now";
    EXPECT_EQ(other->Release(), 0u);
    EXPECT_EQ(page->Deactivate(), S_OK);
    EXPECT_EQ(second->Release(), 0u);
}

TEST_F(MapPageLink, ARefreshPostedToAPageThatGoesIsDropped) {
    ASSERT_EQ(Activate(), S_OK);
    Click(0, MapField::kLearn);
    CTestDataQueue in({Live(0x90, 72, 90)}), out;
    ASSERT_TRUE(FinishesWithoutThisThread([&] { filter->OnInput(&in, &out); }));
    EXPECT_EQ(page->Release(), 0u) << "gone with its window up, the refresh still queued";
    page = nullptr;
    Pump();
    EXPECT_EQ(filter->Settings().mappings[0].lowKey, 72);
}
