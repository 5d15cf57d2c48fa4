// Zephrin Map's settings: up to eight mappings of keys to controllers and the
// playback look-ahead fix, and their stream, which is checked whole before
// anything is taken from it. No Windows header: the codec builds anywhere.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kMapMaxMappings = 8;

enum class MapMode : uint8_t { kHeld = 0, kLatch = 1 };

struct MapMapping {
    bool on = false;
    uint8_t inChannel = 0;  // 0 any, 1-16
    uint8_t lowKey = 96;
    uint8_t highKey = 96;   // lowKey..127
    uint8_t controller = 64;
    uint8_t outChannel = 0;  // 0 the note's own, 1-16
    MapMode mode = MapMode::kHeld;
    uint8_t onValue = 127;
    uint8_t offValue = 0;
    bool velocity = false;  // a note-on's value scales with its velocity
    bool through = false;   // the note passes too, the controller after it

    bool operator==(const MapMapping& other) const;
    bool operator!=(const MapMapping& other) const { return !(*this == other); }
    // Every field within its range, and the keys not crossed.
    bool IsValid() const;
};

struct MapSettings {
    bool lookAheadFix = true;
    // Mappings the stream holds; those after them are off, with the values
    // of a default mapping. Editing one of them makes the count reach it.
    int count = kMapMaxMappings;
    MapMapping mappings[kMapMaxMappings];

    // Mapping 1 on (key 96 to controller 64, held), the others off: what
    // Zephrin does out of the box.
    static MapSettings Defaults();
    void SetMapping(int index, const MapMapping& mapping);
    bool operator==(const MapSettings& other) const;
    bool operator!=(const MapSettings& other) const { return !(*this == other); }
};

// The stream, little-endian: a header of 8 bytes, then 8 bytes a mapping.
constexpr size_t kMapHeaderBytes = 8;
constexpr size_t kMapMappingBytes = 8;
constexpr size_t kMapMaxStreamBytes = kMapHeaderBytes + kMapMaxMappings * kMapMappingBytes;
constexpr uint8_t kMapTag[4] = {'Z', 'M', 'a', 'p'};
constexpr uint16_t kMapFormatVersion = 1;

enum class MapDecodeStatus {
    kOk,
    kTooShort,      // the bytes end before the settings do
    kTooLong,       // bytes follow the last mapping
    kBadTag,        // not Zephrin Map's settings
    kNewerVersion,  // a format this version does not know, saved by a newer one
    kBadValue,      // a field outside its range
};

struct MapDecodeResult {
    MapDecodeStatus status = MapDecodeStatus::kOk;
    size_t offset = 0;           // the byte at fault
    const char* reason = "";     // what is wrong with it, in words
    bool ok() const { return status == MapDecodeStatus::kOk; }
};

// The whole stream's size from its header, for a reader that must know how
// many bytes to take: kOk with size set, or why the header is refused.
MapDecodeResult MapStreamSize(const uint8_t* header, size_t length, size_t& size);

// Checks every byte first; settings is changed only when the result is kOk.
MapDecodeResult DecodeMapSettings(const uint8_t* bytes, size_t length, MapSettings& settings);

// Writes the settings' stream into bytes (kMapMaxStreamBytes suffice) and
// returns its length: 8 + 8 * count.
size_t EncodeMapSettings(const MapSettings& settings, uint8_t* bytes);
size_t MapStreamBytes(const MapSettings& settings);
