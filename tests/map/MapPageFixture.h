// Drives Zephrin Map's page as a property frame and a person would
// (tests/support/PageTestOf.h): the rows' controls used by keyboard, mouse
// wheel and typing.
#pragma once

#include "map/page/MapPropPage.h"
#include "tests/map/MapFixture.h"
#include "tests/support/PageTestOf.h"
#include "tests/support/Streams.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

class MapPageTest : public PageTestOf<CMfxZephrinMapFilter, CMfxZephrinMapPropPage> {
protected:
    MapPageTest() : PageTestOf({0, 0, 900, 320}) {}

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
};
