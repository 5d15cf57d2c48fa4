// A thread that loads a filter's settings as fast as it can, the way a host
// restores a project, two saved streams in turn, for as long as it lives.
#pragma once

#include "host/MfxHost.h"

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

class CSettingsHammer {
public:
    CSettingsHammer(IMfxEventFilter* filter, std::vector<uint8_t> first, std::vector<uint8_t> second);
    ~CSettingsHammer();
    CSettingsHammer(const CSettingsHammer&) = delete;
    CSettingsHammer& operator=(const CSettingsHammer&) = delete;

    double LoadsPerSecond() const;

private:
    void Run();

    IMfxEventFilter* m_filter;
    std::vector<uint8_t> m_bytes[2];
    std::thread m_thread;
    std::atomic<bool> m_started{false}, m_stop{false};
    std::atomic<double> m_loads{0};
    double m_startTime = 0;
};
