// The benchmark's batches of records.
#include "bench/Batches.h"

#include <cstddef>
#include <random>

std::vector<EventRecord> PlaybackBatch() {
    std::mt19937 random(1);
    std::vector<EventRecord> records;
    int32_t time = 0;
    for (int32_t i = 0; i < kBatch; ++i) {
        EventRecord r{};
        time += static_cast<int32_t>(random() % 60);
        r.time = time;
        r.host12 = static_cast<uint8_t>(random() % 16);
        const unsigned pick = random() % 100;
        if (pick < 3) {
            r.type = kEventNote;
            r.number = kPedalKey;
            r.value = 100;
            r.duration = 480 + static_cast<int32_t>(random() % 1920);
        } else if (pick < 85) {
            r.type = kEventNote;
            r.number = static_cast<uint8_t>(36 + random() % 60);
            r.value = static_cast<uint8_t>(40 + random() % 80);
            r.duration = 60 + static_cast<int32_t>(random() % 900);
        } else {
            r.type = pick < 95 ? kEventController : pick < 98 ? 5 : 3;
            r.number = static_cast<uint8_t>(random() % 120);
            r.value = static_cast<uint8_t>(random() % 128);
        }
        records.push_back(r);
    }
    return records;
}

std::vector<DataItem> LiveBatch() {
    std::mt19937 random(2);
    std::vector<DataItem> items;
    std::vector<DataItem> sounding;
    while (items.size() < static_cast<size_t>(kBatch)) {
        const unsigned pick = random() % 100;
        DataItem d{};
        if (pick < 12 && !sounding.empty()) {
            const size_t at = random() % sounding.size();
            d = sounding[at];
            d.status = static_cast<uint8_t>(0x80 | (d.status & 0x0F));
            d.data2 = random() % 2 ? 0 : 64;
            if (d.data2 == 0) d.status = static_cast<uint8_t>(0x90 | (d.status & 0x0F));
            sounding.erase(sounding.begin() + static_cast<std::ptrdiff_t>(at));
        } else if (pick < 24) {
            d.status = static_cast<uint8_t>(0xB0 | random() % 16);
            d.data1 = static_cast<uint8_t>(random() % 120);
            d.data2 = static_cast<uint8_t>(random() % 128);
        } else if (pick < 26) {
            d.status = static_cast<uint8_t>(0xE0 | random() % 16);
            d.data1 = 0;
            d.data2 = static_cast<uint8_t>(random() % 128);
        } else {
            d.status = static_cast<uint8_t>(0x90 | random() % 16);
            d.data1 = random() % 100 < 6 ? kPedalKey : static_cast<uint8_t>(36 + random() % 60);
            d.data2 = static_cast<uint8_t>(1 + random() % 126);
            sounding.push_back(d);
        }
        items.push_back(d);
    }
    return items;
}
