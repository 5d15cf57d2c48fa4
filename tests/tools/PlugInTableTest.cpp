// The host tool's table of plug-ins: a filter is known by the class it
// reports, not by the bytes it saves, and a filter of any other class gets
// the handling every filter gets.
#include "map/mfx/MapIds.h"
#include "tools/host/FilterSettings.h"
#include "tools/host/PlugInSettings.h"
#include "zephrin/filter/ZephrinIds.h"

#include <gtest/gtest.h>

namespace {

// A settings stream of any class: Save writes what it holds, Load takes
// whatever comes and counts the loads.
class CStreamOfClass final : public IPersistStream {
public:
    CStreamOfClass(REFCLSID clsid, std::vector<uint8_t> bytes)
        : m_clsid(clsid), m_bytes(std::move(bytes)) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IPersist) &&
            !IsEqualIID(riid, IID_IPersistStream))
            return E_NOINTERFACE;
        *ppv = static_cast<IPersistStream*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++m_refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--m_refs); }
    STDMETHODIMP GetClassID(CLSID* clsid) override {
        *clsid = m_clsid;
        return S_OK;
    }
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(IStream* stream) override {
        ++m_loads;
        uint8_t bytes[256];
        ULONG read = 0;
        const HRESULT hr = stream->Read(bytes, sizeof bytes, &read);
        m_bytes.assign(bytes, bytes + read);
        return SUCCEEDED(hr) ? S_OK : hr;
    }
    STDMETHODIMP Save(IStream* stream, BOOL) override {
        return stream->Write(m_bytes.data(), static_cast<ULONG>(m_bytes.size()), nullptr);
    }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override {
        size->QuadPart = m_bytes.size();
        return S_OK;
    }

    LONG References() const { return m_refs; }
    int Loads() const { return m_loads; }
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

private:
    CLSID m_clsid;
    std::vector<uint8_t> m_bytes;
    LONG m_refs = 1;
    int m_loads = 0;
};

const CLSID kOtherClass = {0x0F1E2D3C, 0x4B5A, 0x6978, {0x87, 0x96, 0xA5, 0xB4, 0xC3, 0xD2, 0xE1, 0xF0}};

MapSettings OneMapping(uint8_t key, uint8_t controller) {
    MapSettings settings;
    MapMapping mapping;
    mapping.on = true;
    mapping.lowKey = mapping.highKey = key;
    mapping.controller = controller;
    settings.count = 0;
    settings.SetMapping(0, mapping);
    return settings;
}

}  // namespace

// Zephrin Map with one mapping saves 16 bytes, as many as Zephrin; any 16
// bytes read as Zephrin's. The class decides.
TEST(PlugInTable, AFilterIsKnownByItsClassNotByItsBytes) {
    const std::vector<uint8_t> mapBytes = MapSettingsBytes(OneMapping(60, 1));
    const std::vector<uint8_t> zephrinBytes = ZephrinSettingsBytes({60, 1, 1, 128});
    ASSERT_EQ(mapBytes.size(), zephrinBytes.size());
    const struct {
        const char* name;
        const CLSID& clsid;
        std::vector<uint8_t> bytes;
        const PlugIn* plugIn;
        const char* words;
    } cases[] = {
        {"Zephrin", CLSID_ZephrinFilter, zephrinBytes, &kZephrinPlugIn,
         "key 60 (C3), controller 1, look-ahead fix on (1), reserved 128\n"},
        {"Map with one mapping", CLSID_ZephrinMapFilter, mapBytes, &kMapPlugIn,
         "look-ahead fix on, 1 mapping in the stream\nmapping 1: on, key 60 (C3), any channel"},
        {"Map saving Zephrin's bytes", CLSID_ZephrinMapFilter, zephrinBytes, &kMapPlugIn,
         "16 bytes: not Zephrin Map's stream (byte 0: "},
        {"another class saving Zephrin's bytes", kOtherClass, zephrinBytes, nullptr,
         "16 bytes: neither Zephrin's 16 bytes nor Zephrin Map's settings\n"},
        {"another class saving Map's bytes", kOtherClass, mapBytes, nullptr,
         "16 bytes: neither Zephrin's 16 bytes nor Zephrin Map's settings\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CStreamOfClass filter(c.clsid, c.bytes);
        const PlugIn* plugIn = FindPlugIn(&filter);
        EXPECT_EQ(plugIn, c.plugIn);
        EXPECT_EQ(SettingsWords(plugIn, c.bytes).rfind(c.words, 0), 0u) << SettingsWords(plugIn, c.bytes);
        EXPECT_EQ(filter.References(), 1);
    }
}

// Options that need a codec are refused for a filter of another class, and
// nothing is loaded into it; a known one takes them through its codec.
TEST(PlugInTable, OptionsGoThroughTheCodecOfTheFiltersClass) {
    const std::vector<uint8_t> zephrinBytes = ZephrinSettingsBytes({60, 1, 1, 128});
    SettingsOptions key;
    key.key = 72;
    std::string error;
    CStreamOfClass other(kOtherClass, zephrinBytes);
    EXPECT_EQ(ApplySettingsOptions(FindPlugIn(&other), &other, key, error), E_FAIL);
    EXPECT_EQ(error, "the filter saves 16 bytes of settings, "
                     "and its class is neither Zephrin's nor Zephrin Map's");
    EXPECT_EQ(other.Loads(), 0);

    CStreamOfClass map(CLSID_ZephrinMapFilter, MapSettingsBytes(OneMapping(60, 1)));
    EXPECT_EQ(ApplySettingsOptions(FindPlugIn(&map), &map, key, error), E_INVALIDARG);
    EXPECT_EQ(error, "--key and --cc are for Zephrin; this filter keeps Zephrin Map's settings (--map)");
    EXPECT_EQ(map.Loads(), 0);

    SettingsOptions mapping;
    mapping.maps.push_back(OneMapping(62, 66).mappings[0]);
    mapping.fix = 0;
    ASSERT_EQ(ApplySettingsOptions(FindPlugIn(&map), &map, mapping, error), S_OK) << error;
    MapSettings wanted = OneMapping(62, 66);
    wanted.lookAheadFix = false;
    EXPECT_EQ(map.Bytes(), MapSettingsBytes(wanted));

    CStreamOfClass zephrin(CLSID_ZephrinFilter, zephrinBytes);
    ASSERT_EQ(ApplySettingsOptions(FindPlugIn(&zephrin), &zephrin, key, error), S_OK) << error;
    EXPECT_EQ(zephrin.Bytes(), ZephrinSettingsBytes({72, 1, 1, 128}));
    for (const CStreamOfClass* filter : {&other, &map, &zephrin}) EXPECT_EQ(filter->References(), 1);
}
