// Zephrin Map's settings stream: encoding, and decoding that checks every
// field before it takes any.
#include "map/engine/MapSettings.h"

namespace {

// The mapping's flags byte.
constexpr uint8_t kFlagOn = 0x01;
constexpr uint8_t kFlagLatch = 0x02;
constexpr uint8_t kFlagVelocity = 0x04;
constexpr uint8_t kFlagThrough = 0x08;
constexpr uint8_t kKnownFlags = kFlagOn | kFlagLatch | kFlagVelocity | kFlagThrough;

constexpr uint8_t kMaxChannel = 16;
constexpr uint8_t kMaxData = 127;

MapDecodeResult Refuse(MapDecodeStatus status, size_t offset, const char* reason) {
    return {status, offset, reason};
}

}  // namespace

bool MapMapping::operator==(const MapMapping& o) const {
    return on == o.on && inChannel == o.inChannel && lowKey == o.lowKey && highKey == o.highKey &&
           controller == o.controller && outChannel == o.outChannel && mode == o.mode &&
           onValue == o.onValue && offValue == o.offValue && velocity == o.velocity &&
           through == o.through;
}

bool MapMapping::IsValid() const {
    return inChannel <= kMaxChannel && lowKey <= kMaxData && highKey <= kMaxData &&
           lowKey <= highKey && controller <= kMaxData && outChannel <= kMaxChannel &&
           (mode == MapMode::kHeld || mode == MapMode::kLatch) && onValue <= kMaxData &&
           offValue <= kMaxData;
}

MapSettings MapSettings::Defaults() {
    MapSettings settings;
    settings.mappings[0].on = true;
    return settings;
}

void MapSettings::SetMapping(int index, const MapMapping& mapping) {
    if (index < 0 || index >= kMapMaxMappings) return;
    mappings[index] = mapping;
    if (count <= index) count = index + 1;
}

bool MapSettings::operator==(const MapSettings& o) const {
    if (lookAheadFix != o.lookAheadFix || count != o.count) return false;
    for (int i = 0; i < kMapMaxMappings; ++i)
        if (mappings[i] != o.mappings[i]) return false;
    return true;
}

MapDecodeResult MapStreamSize(const uint8_t* header, size_t length, size_t& size) {
    size = 0;
    for (size_t i = 0; i < sizeof kMapTag; ++i) {
        if (i >= length) return Refuse(MapDecodeStatus::kTooShort, length, "the settings end in their tag");
        if (header[i] != kMapTag[i])
            return Refuse(MapDecodeStatus::kBadTag, i, "not Zephrin Map's settings: the tag is not \"ZMap\"");
    }
    if (length < kMapHeaderBytes)
        return Refuse(MapDecodeStatus::kTooShort, length, "the settings end in their header");
    const unsigned version = header[4] | header[5] << 8;
    if (version > kMapFormatVersion)
        return Refuse(MapDecodeStatus::kNewerVersion, 4, "saved by a newer version, in a format this one does not know");
    if (version == 0) return Refuse(MapDecodeStatus::kBadValue, 4, "format version 0 does not exist");
    if (header[6] > 1) return Refuse(MapDecodeStatus::kBadValue, 6, "the look-ahead fix must be 0 (off) or 1 (on)");
    if (header[7] > kMapMaxMappings)
        return Refuse(MapDecodeStatus::kBadValue, 7, "the number of mappings must be 0 to 8");
    size = kMapHeaderBytes + header[7] * kMapMappingBytes;
    return {};
}

MapDecodeResult DecodeMapSettings(const uint8_t* bytes, size_t length, MapSettings& settings) {
    size_t size = 0;
    MapDecodeResult result = MapStreamSize(bytes, length, size);
    if (!result.ok()) return result;
    if (length < size) return Refuse(MapDecodeStatus::kTooShort, length, "the settings end in a mapping");
    if (length > size) return Refuse(MapDecodeStatus::kTooLong, size, "bytes follow the last mapping");

    MapSettings decoded;
    decoded.lookAheadFix = bytes[6] != 0;
    decoded.count = bytes[7];
    for (int i = 0; i < decoded.count; ++i) {
        const size_t at = kMapHeaderBytes + static_cast<size_t>(i) * kMapMappingBytes;
        const uint8_t* m = bytes + at;
        if (m[0] & ~kKnownFlags) return Refuse(MapDecodeStatus::kBadValue, at, "unknown flags are set");
        if (m[1] > kMaxChannel) return Refuse(MapDecodeStatus::kBadValue, at + 1, "the input channel must be 0 (any) to 16");
        if (m[2] > kMaxData) return Refuse(MapDecodeStatus::kBadValue, at + 2, "the lowest key must be 0 to 127");
        if (m[3] > kMaxData || m[3] < m[2])
            return Refuse(MapDecodeStatus::kBadValue, at + 3, "the highest key must be the lowest to 127");
        if (m[4] > kMaxData) return Refuse(MapDecodeStatus::kBadValue, at + 4, "the controller must be 0 to 127");
        if (m[5] > kMaxChannel) return Refuse(MapDecodeStatus::kBadValue, at + 5, "the output channel must be 0 (the note's own) to 16");
        if (m[6] > kMaxData) return Refuse(MapDecodeStatus::kBadValue, at + 6, "the on value must be 0 to 127");
        if (m[7] > kMaxData) return Refuse(MapDecodeStatus::kBadValue, at + 7, "the off value must be 0 to 127");
        MapMapping& mapping = decoded.mappings[i];
        mapping.on = (m[0] & kFlagOn) != 0;
        mapping.mode = (m[0] & kFlagLatch) != 0 ? MapMode::kLatch : MapMode::kHeld;
        mapping.velocity = (m[0] & kFlagVelocity) != 0;
        mapping.through = (m[0] & kFlagThrough) != 0;
        mapping.inChannel = m[1];
        mapping.lowKey = m[2];
        mapping.highKey = m[3];
        mapping.controller = m[4];
        mapping.outChannel = m[5];
        mapping.onValue = m[6];
        mapping.offValue = m[7];
    }
    settings = decoded;
    return {};
}

size_t MapStreamBytes(const MapSettings& settings) {
    const int count = settings.count < 0 ? 0 : settings.count > kMapMaxMappings ? kMapMaxMappings : settings.count;
    return kMapHeaderBytes + static_cast<size_t>(count) * kMapMappingBytes;
}

size_t EncodeMapSettings(const MapSettings& settings, uint8_t* bytes) {
    const size_t size = MapStreamBytes(settings);
    const int count = static_cast<int>((size - kMapHeaderBytes) / kMapMappingBytes);
    for (size_t i = 0; i < sizeof kMapTag; ++i) bytes[i] = kMapTag[i];
    bytes[4] = kMapFormatVersion & 0xFF;
    bytes[5] = kMapFormatVersion >> 8;
    bytes[6] = settings.lookAheadFix ? 1 : 0;
    bytes[7] = static_cast<uint8_t>(count);
    for (int i = 0; i < count; ++i) {
        const MapMapping& mapping = settings.mappings[i];
        uint8_t* m = bytes + kMapHeaderBytes + static_cast<size_t>(i) * kMapMappingBytes;
        m[0] = static_cast<uint8_t>((mapping.on ? kFlagOn : 0) |
                                    (mapping.mode == MapMode::kLatch ? kFlagLatch : 0) |
                                    (mapping.velocity ? kFlagVelocity : 0) |
                                    (mapping.through ? kFlagThrough : 0));
        m[1] = mapping.inChannel;
        m[2] = mapping.lowKey;
        m[3] = mapping.highKey;
        m[4] = mapping.controller;
        m[5] = mapping.outChannel;
        m[6] = mapping.onValue;
        m[7] = mapping.offValue;
    }
    return size;
}
