// Zephrin Map's settings stream: the bytes are read whole and checked by
// the settings codec before anything changes.
#include "map/mfx/MapFilter.h"

namespace {

constexpr char kLoadFailedText[] = "Load for Quillfen Zephrin Map settings failed.";
constexpr char kNewerVersionText[] =
    "These Quillfen Zephrin Map settings were saved by a newer version.";

}  // namespace

// A damaged stream, or one from a newer version, changes no setting.
const char* CMfxZephrinMapFilter::LoadSettings(IStream* stream) {
    uint8_t bytes[kMapMaxStreamBytes];
    size_t size = 0;
    MapDecodeResult result;
    if (!ReadExactly(stream, bytes, kMapHeaderBytes)) {
        result.status = MapDecodeStatus::kTooShort;
    } else if ((result = MapStreamSize(bytes, kMapHeaderBytes, size)).ok() &&
               !ReadExactly(stream, bytes + kMapHeaderBytes,
                            static_cast<ULONG>(size - kMapHeaderBytes))) {
        result.status = MapDecodeStatus::kTooShort;
    }
    MapSettings settings;
    if (result.ok()) result = DecodeMapSettings(bytes, size, settings);
    if (!result.ok())
        return result.status == MapDecodeStatus::kNewerVersion ? kNewerVersionText
                                                                : kLoadFailedText;
    m_engine.Replace(settings);
    return nullptr;
}

HRESULT CMfxZephrinMapFilter::SaveSettings(IStream* stream) {
    uint8_t bytes[kMapMaxStreamBytes];
    const size_t size = EncodeMapSettings(m_engine.Settings(), bytes);
    return stream->Write(bytes, static_cast<ULONG>(size), nullptr);
}

ULONGLONG CMfxZephrinMapFilter::SettingsSize() { return MapStreamBytes(m_engine.Settings()); }
