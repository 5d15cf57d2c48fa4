// Fuzz target for Zephrin Map's settings stream: a refused stream changes no
// setting and says where and why; an accepted one encodes back to exactly its
// bytes; the size the header gives agrees with what the decoder takes.
#include "fuzz/FuzzCheck.h"
#include "map/engine/MapSettings.h"

#include <cstring>

namespace {

// Settings unlike the defaults in every field, so that a refusal which took
// any of the stream's values shows.
MapSettings Distinctive() {
    MapSettings settings;
    settings.lookAheadFix = false;
    settings.count = 3;
    for (int i = 0; i < kMapMaxMappings; ++i) {
        MapMapping& m = settings.mappings[i];
        m.on = i % 2 == 0;
        m.inChannel = static_cast<uint8_t>(16 - i);
        m.lowKey = static_cast<uint8_t>(10 + i);
        m.highKey = static_cast<uint8_t>(120 - i);
        m.controller = static_cast<uint8_t>(1 + i);
        m.outChannel = static_cast<uint8_t>(1 + i);
        m.mode = MapMode::kLatch;
        m.onValue = static_cast<uint8_t>(100 + i);
        m.offValue = static_cast<uint8_t>(5 + i);
        m.velocity = true;
        m.through = true;
    }
    return settings;
}

void CheckRefusal(const MapDecodeResult& result, const MapDecodeResult& header, size_t streamSize,
                  size_t size) {
    FUZZ_CHECK(result.offset <= size && result.reason && *result.reason);
    if (!header.ok()) {
        FUZZ_CHECK(result.status == header.status && result.offset == header.offset);
        return;
    }
    // A header the size reader takes fails the decoder only on the length or
    // on a mapping's field.
    switch (result.status) {
    case MapDecodeStatus::kTooShort: FUZZ_CHECK(size < streamSize); break;
    case MapDecodeStatus::kTooLong: FUZZ_CHECK(size > streamSize && result.offset == streamSize); break;
    case MapDecodeStatus::kBadValue:
        FUZZ_CHECK(size == streamSize && result.offset >= kMapHeaderBytes);
        break;
    default: FuzzFail(__FILE__, __LINE__, "a refusal the header's check would have made");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t streamSize = 0;
    const MapDecodeResult header = MapStreamSize(data, size, streamSize);
    const MapSettings before = Distinctive();
    MapSettings settings = before;
    const MapDecodeResult result = DecodeMapSettings(data, size, settings);
    if (!result.ok()) {
        FUZZ_CHECK(settings == before);
        CheckRefusal(result, header, streamSize, size);
        return 0;
    }

    FUZZ_CHECK(header.ok() && streamSize == size);
    FUZZ_CHECK(settings.count >= 0 && settings.count <= kMapMaxMappings);
    for (int i = 0; i < kMapMaxMappings; ++i) {
        FUZZ_CHECK(settings.mappings[i].IsValid());
        // Mappings past the count are default ones, whatever was there before.
        if (i >= settings.count) FUZZ_CHECK(settings.mappings[i] == MapMapping{});
    }
    uint8_t encoded[kMapMaxStreamBytes];
    FUZZ_CHECK(MapStreamBytes(settings) == size && EncodeMapSettings(settings, encoded) == size);
    FUZZ_CHECK(std::memcmp(encoded, data, size) == 0);
    return 0;
}
