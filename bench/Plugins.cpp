// The table of plug-ins: Zephrin, and Zephrin Map twice, with its default
// mapping and with eight.
#include "bench/Plugins.h"

#include "bench/EightMappings.h"

#include "map/engine/MapSettings.h"
#include "map/mfx/MapIds.h"
#include "map/page/MapPropPage.h"
#include "tools/host/FilterSettings.h"
#include "zephrin/filter/ZephrinIds.h"
#include "zephrin/filter/ZephrinSettings.h"
#include "zephrin/resources/resource.h"

#include <commctrl.h>

namespace {

std::vector<uint8_t> Bytes(const ZephrinSettings& settings) {
    uint8_t bytes[ZephrinSettings::kBytes];
    EncodeZephrinSettings(settings, bytes);
    return {bytes, bytes + sizeof bytes};
}

std::vector<uint8_t> Bytes(const MapSettings& settings) {
    uint8_t bytes[kMapMaxStreamBytes];
    return {bytes, bytes + EncodeMapSettings(settings, bytes)};
}

// The trackbar moves (TBM_SETPOS) and tells the dialog (WM_HSCROLL,
// TB_THUMBTRACK), as a drag of its thumb does.
void DragSlider(HWND dialog, HWND slider, int position, int) {
    SendMessageA(slider, TBM_SETPOS, TRUE, position);
    SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position),
                 reinterpret_cast<LPARAM>(slider));
}

// An arrow key pressed in a number box: its up-down control takes it and
// asks the dialog for the step (UDN_DELTAPOS), as holding an arrow down does.
void PressArrow(HWND, HWND box, int, int direction) {
    const WPARAM key = direction > 0 ? VK_UP : VK_DOWN;
    SendMessageA(box, WM_KEYDOWN, key, 1);
    SendMessageA(box, WM_KEYUP, key, 0xC0000001);
}

int32_t ZephrinLearnedKey(const std::vector<uint8_t>& bytes) {
    ZephrinSettings settings;
    return DecodeZephrinSettings(bytes.data(), bytes.size(), settings) ? settings.keyIn : -1;
}

// Map's Learn is pressed on mapping 1.
int32_t MapLearnedKey(const std::vector<uint8_t>& bytes) {
    MapSettings settings;
    return DecodeMapSettings(bytes.data(), bytes.size(), settings).ok() ? settings.mappings[0].lowKey
                                                                        : -1;
}

Plugin Zephrin(const std::string& dll) {
    ZephrinSettings other;
    other.ccOut = 65;
    // From 0 up, whatever the key: how the slider has always been dragged here.
    const PageControl slider{"Key In slider dragged across its range", IDC_KEYIN_SLIDER, 0, 1,
                             DragSlider};
    return {"Zephrin", dll, CLSID_ZephrinFilter, Bytes(ZephrinSettings{}), slider,
            {{"IPersistStream::Load in a loop, controller 64 and 65 in turn", Bytes(ZephrinSettings{}),
              Bytes(other)}},
            "Learn Key", ZephrinLearnedKey, {}};
}

// Its mapping 1's On value, 127 in both set-ups, stepped down from there and
// back: every step a new set of mappings, which still takes the same notes.
Plugin Map(const char* name, const std::string& dll, const MapSettings& settings) {
    MapSettings edited = settings;
    edited.mappings[0].controller = 66;
    const PageControl onValue{"mapping 1's On value stepped by its arrow keys across its range",
                              CMfxZephrinMapPropPage::ControlId(0, MapField::kOnValue), 126, -1,
                              PressArrow};
    return {name, dll, CLSID_ZephrinMapFilter, Bytes(settings), onValue,
            {{"mapping 1 changed back and forth, as an editor does", Bytes(settings), Bytes(edited)},
             {"whole sets of eight loaded, as a host restoring projects", Bytes(BenchEightMappings()),
              Bytes(MapSettings{})}},
            "Learn", MapLearnedKey, {}};
}

}  // namespace

std::vector<Plugin> BenchPlugins(const std::string& zephrinDll, const std::string& mapDll) {
    std::vector<Plugin> plugins;
    plugins.reserve(3);
    plugins.push_back(Zephrin(zephrinDll));
    plugins.push_back(Map("Map, the default mapping", mapDll, MapSettings::Defaults()));
    plugins.push_back(Map("Map, eight mappings", mapDll, BenchEightMappings()));
    return plugins;
}

// Made and its settings moved through the host tool's calls, as a host's
// project does it.
bool Plugin::Load(std::string& error) {
    return SUCCEEDED(CLoadedFilter::FromDll(dll, clsid, filter, error)) && SetUp(error);
}

bool Plugin::SetUp(std::string& error) const {
    return LoadFilterSettings(filter.get(), settings, error) == S_OK;
}

bool Plugin::Save(std::vector<uint8_t>& bytes, std::string& error) const {
    return SUCCEEDED(SaveFilterSettings(filter.get(), bytes, error));
}
