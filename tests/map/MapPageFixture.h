// Drives Zephrin Map's page as a property frame and a person would: a
// hidden parent window, a site that counts status changes, a filter
// attached, and the rows' controls used by keyboard, mouse wheel and
// typing. Every test ends with the page, the filter and the site back to
// their counts and no dialog window left on the thread.
#pragma once

#include "common/ModuleCounts.h"
#include "common/UniqueHandle.h"
#include "map/page/MapPropPage.h"
#include "tests/map/MapFixture.h"
#include "tests/support/CountingSite.h"
#include "tests/support/PageWindows.h"
#include "tests/support/Streams.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

class MapPageTest : public ::testing::Test {
protected:
    static constexpr RECT kPageRect = {0, 0, 900, 320};

    void SetUp() override {
        m_objectsBefore = g_objectCount;
        parent.reset(CreateWindowExA(0, "STATIC", "frame", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                     0, 0, 960, 400, nullptr, nullptr, nullptr, nullptr));
        ASSERT_TRUE(parent);
        filter = new CMfxZephrinMapFilter();
        page = new (std::nothrow) CMfxZephrinMapPropPage();
        ASSERT_NE(page, nullptr);
        ASSERT_EQ(page->SetPageSite(&site), S_OK);
        ASSERT_EQ(Attach(page, filter), S_OK);
    }
    void TearDown() override {
        if (page) {
            EXPECT_EQ(page->Release(), 0u) << "a test leaked a page reference";
        }
        if (filter) {
            EXPECT_EQ(filter->Release(), 0u) << "a test leaked a filter reference";
        }
        EXPECT_EQ(site.refs, 1) << "the site's reference was not given back";
        EXPECT_EQ(g_objectCount, m_objectsBefore);
        EXPECT_EQ(DialogWindows(parent.get()), 0) << "a dialog window was left behind";
    }

    static IUnknown* Unknown(CMfxZephrinMapFilter* f) { return static_cast<IMfxEventFilter*>(f); }
    static HRESULT Attach(CMfxZephrinMapPropPage* to, CMfxZephrinMapFilter* f) {
        IUnknown* object = Unknown(f);
        return to->SetObjects(1, &object);
    }
    HRESULT Activate() { return page->Activate(parent.get(), &kPageRect, FALSE); }
    HWND PageWindow() const { return GetWindow(parent.get(), GW_CHILD); }

    static int Id(int row, MapField field) { return CMfxZephrinMapPropPage::ControlId(row, field); }
    HWND Item(int id) const { return GetDlgItem(PageWindow(), id); }
    HWND Item(int row, MapField field) const { return Item(Id(row, field)); }
    std::string Text(int row, MapField field) const {
        wchar_t text[64] = {};
        GetWindowTextW(Item(row, field), text, 64);
        std::string narrow;
        for (const wchar_t* c = text; *c; ++c) narrow += *c < 128 ? static_cast<char>(*c) : '~';
        return narrow;  // anything past ASCII as ~
    }
    LRESULT Send(HWND control, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageW(control, message, wParam, lParam);
    }

    // What a person does to a control.
    void Click(int row, MapField field) const { Send(Item(row, field), BM_CLICK); }
    void Key(int row, MapField field, UINT key) const {
        Send(Item(row, field), WM_KEYDOWN, key, 1);
        Send(Item(row, field), WM_KEYUP, key, 0xC0000001);
    }
    void Wheel(int row, MapField field, int notches) const {
        Send(Item(row, field), WM_MOUSEWHEEL, MAKEWPARAM(0, notches * WHEEL_DELTA), 0);
    }
    // Types into a box and moves the focus on, as the Tab key does.
    void Type(int row, MapField field, const char* text) const {
        SetFocus(Item(row, field));
        SetWindowTextA(Item(row, field), text);
        SetFocus(Item(row, MapField::kOn));
    }

    // Settings as a host restores them: through the filter's stream, which
    // reaches the page by a posted message.
    void Load(const MapSettings& settings) {
        uint8_t bytes[kMapMaxStreamBytes];
        const size_t size = EncodeMapSettings(settings, bytes);
        auto stream = StreamWith(std::vector<uint8_t>(bytes, bytes + size));
        ASSERT_EQ(filter->Load(stream.get()), S_OK);
    }
    // Clears every dirty mark, as a save and an Apply do.
    void Clean() {
        auto stream = StreamWith({});
        filter->Save(stream.get(), TRUE);
        page->Apply();
        site.dirtyCalls = 0;
    }

    CUniqueHwnd parent;
    CCountingSite site;
    CMfxZephrinMapFilter* filter = nullptr;  // tests that release it set it to null
    CMfxZephrinMapPropPage* page = nullptr;  // likewise

private:
    LONG m_objectsBefore = 0;
};
