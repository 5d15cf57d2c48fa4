// Drives Zephrin's editor page as a property frame would
// (tests/support/PageTestOf.h), with its controls by identifier.
#pragma once

#include "zephrin/filter/ZephrinFilter.h"
#include "zephrin/page/ZephrinPropPage.h"
#include "zephrin/resources/resource.h"
#include "tests/support/HostQueues.h"
#include "tests/support/PageTestOf.h"

#include <gtest/gtest.h>

#include <string>

class PageTest : public PageTestOf<CMfxZephrinFilter, CMfxZephrinPropPage> {
protected:
    static constexpr RECT kPageRect = {4, 8, 404, 358};

    PageTest() : PageTestOf(kPageRect) {}

    HWND Item(int id) const { return GetDlgItem(PageWindow(), id); }
    std::string Text(int id) const {
        char text[64] = {};
        GetDlgItemTextA(PageWindow(), id, text, sizeof text);
        return text;
    }
    LRESULT Send(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return SendMessageA(Item(id), message, wParam, lParam);
    }
    // A trackbar notification as the control sends it to its dialog.
    void Scroll(int id, int code, int position = 0) const {
        SendMessageA(PageWindow(), WM_HSCROLL, MAKEWPARAM(code, position),
                     reinterpret_cast<LPARAM>(Item(id)));
    }
};
