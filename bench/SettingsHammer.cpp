// The settings-loading thread of CSettingsHammer.
#include "bench/SettingsHammer.h"

#include "bench/BenchClock.h"
#include "common/ComPtr.h"

#include <objbase.h>

CSettingsHammer::CSettingsHammer(IMfxEventFilter* filter, std::vector<uint8_t> first,
                                 std::vector<uint8_t> second)
    : m_filter(filter), m_bytes{std::move(first), std::move(second)} {
    m_thread = std::thread([this] { Run(); });
    while (!m_started) std::this_thread::yield();
}

CSettingsHammer::~CSettingsHammer() {
    m_stop = true;
    m_thread.join();
}

double CSettingsHammer::LoadsPerSecond() const { return m_loads / (Seconds() - m_startTime); }

void CSettingsHammer::Run() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    {
        CComPtr<IPersistStream> persist;
        CComPtr<IStream> streams[2];
        m_filter->QueryInterface(IID_IPersistStream, persist.put_void());
        for (int i = 0; i < 2; ++i) {
            CreateStreamOnHGlobal(nullptr, TRUE, streams[i].put());
            streams[i]->Write(m_bytes[i].data(), static_cast<ULONG>(m_bytes[i].size()), nullptr);
        }
        m_startTime = Seconds();
        m_started = true;
        const LARGE_INTEGER zero{};
        for (uint64_t n = 0; !m_stop; ++n) {
            IStream* stream = streams[n & 1].get();
            stream->Seek(zero, STREAM_SEEK_SET, nullptr);
            persist->Load(stream);
            m_loads = static_cast<double>(n + 1);
        }
    }
    CoUninitialize();
}
