// Zephrin Map's settings stream through IPersistStream: the bytes are read
// whole and checked by the settings codec before anything changes.
#include "map/mfx/MapFilter.h"

#include "framework/AfxMessageBox.h"
#include "map/mfx/MapIds.h"

namespace {

constexpr char kLoadFailedText[] = "Load for Quillfen Zephrin Map settings failed.";
constexpr char kNewerVersionText[] =
    "These Quillfen Zephrin Map settings were saved by a newer version.";

bool ReadExactly(IStream* stream, uint8_t* bytes, size_t size) {
    ULONG read = 0;
    return size == 0 ||
           (stream->Read(bytes, static_cast<ULONG>(size), &read) == S_OK && read == size);
}

}  // namespace

STDMETHODIMP CMfxZephrinMapFilter::GetClassID(CLSID* pClsid) {
    if (!pClsid) return E_POINTER;
    *pClsid = CLSID_ZephrinMapFilter;
    return S_OK;
}

STDMETHODIMP CMfxZephrinMapFilter::IsDirty() {
    return m_dirty.load(std::memory_order_relaxed) ? S_OK : S_FALSE;
}

// A damaged stream, or one from a newer version, is reported to the user,
// never to the host, so that the host's project still opens: the filter
// keeps every setting it had.
STDMETHODIMP CMfxZephrinMapFilter::Load(IStream* pStm) {
    if (!pStm) return E_POINTER;
    uint8_t bytes[kMapMaxStreamBytes];
    size_t size = 0;
    MapDecodeResult result;
    if (!ReadExactly(pStm, bytes, kMapHeaderBytes)) {
        result.status = MapDecodeStatus::kTooShort;
    } else if ((result = MapStreamSize(bytes, kMapHeaderBytes, size)).ok() &&
               !ReadExactly(pStm, bytes + kMapHeaderBytes, size - kMapHeaderBytes)) {
        result.status = MapDecodeStatus::kTooShort;
    }
    MapSettings settings;
    if (result.ok()) result = DecodeMapSettings(bytes, size, settings);
    if (!result.ok()) {
        AfxMessageBox(result.status == MapDecodeStatus::kNewerVersion ? kNewerVersionText
                                                                        : kLoadFailedText,
                      MB_OK);
        return S_OK;
    }
    m_store.Replace(settings);
    m_dirty.store(0, std::memory_order_relaxed);
    m_pageRefresh.Post();  // from any thread, never waiting for the page's
    return S_OK;
}

STDMETHODIMP CMfxZephrinMapFilter::Save(IStream* pStm, BOOL fClearDirty) {
    if (!pStm) return E_POINTER;
    uint8_t bytes[kMapMaxStreamBytes];
    const size_t size = EncodeMapSettings(m_store.Settings(), bytes);
    const HRESULT hr = pStm->Write(bytes, static_cast<ULONG>(size), nullptr);
    if (FAILED(hr)) return hr == STG_E_MEDIUMFULL ? STG_E_MEDIUMFULL : STG_E_CANTSAVE;
    if (fClearDirty) m_dirty.store(0, std::memory_order_relaxed);
    return S_OK;
}

STDMETHODIMP CMfxZephrinMapFilter::GetSizeMax(ULARGE_INTEGER* pcbSize) {
    if (!pcbSize) return E_POINTER;
    pcbSize->QuadPart = MapStreamBytes(m_store.Settings());
    return S_OK;
}
