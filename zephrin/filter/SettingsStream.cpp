// The settings stream: the four settings as 16 bytes, little-endian int32s,
// row by row, with no header. The only persistent format of the module.
#include "zephrin/filter/ZephrinFilter.h"

#include "zephrin/filter/ZephrinIds.h"
#include "framework/AfxMessageBox.h"

namespace {

constexpr ULONG kSettingBytes = sizeof(int32_t);
constexpr ULONG kStreamBytes = CMfxZephrinFilter::kRows * CMfxZephrinFilter::kColumns *
                               kSettingBytes;
static_assert(kStreamBytes == 16);

constexpr char kLoadFailedText[] = "Load for Quillfen MFX Zephrin settings failed.";

}  // namespace

STDMETHODIMP CMfxZephrinFilter::GetClassID(CLSID* pClsid) {
    if (!pClsid) return E_POINTER;
    *pClsid = CLSID_ZephrinFilter;
    return S_OK;
}

STDMETHODIMP CMfxZephrinFilter::IsDirty() {
    return m_dirty.load(std::memory_order_relaxed) ? S_OK : S_FALSE;
}

// A damaged stream is reported to the user, never to the host: the host sees
// success and the filter keeps the values it has, those read so far included.
STDMETHODIMP CMfxZephrinFilter::Load(IStream* pStm) {
    if (!pStm) return E_POINTER;
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            int32_t value = 0;
            ULONG read = 0;
            if (pStm->Read(&value, kSettingBytes, &read) != S_OK || read != kSettingBytes) {
                AfxMessageBox(kLoadFailedText, MB_OK);
                return S_OK;
            }
            // Stored as read, without a range check: the editor's limits are
            // the editor's, and a project must load as it was saved.
            SetParam(row, column, value);
        }
    }
    RefreshPage();
    m_dirty.store(0, std::memory_order_relaxed);
    return S_OK;
}

STDMETHODIMP CMfxZephrinFilter::Save(IStream* pStm, BOOL fClearDirty) {
    if (!pStm) return E_POINTER;
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            const int32_t value = GetParam(row, column);
            const HRESULT hr = pStm->Write(&value, kSettingBytes, nullptr);
            if (FAILED(hr)) return hr == STG_E_MEDIUMFULL ? STG_E_MEDIUMFULL : STG_E_CANTSAVE;
        }
    }
    if (fClearDirty) m_dirty.store(0, std::memory_order_relaxed);
    return S_OK;
}

STDMETHODIMP CMfxZephrinFilter::GetSizeMax(ULARGE_INTEGER* pcbSize) {
    if (!pcbSize) return E_POINTER;
    pcbSize->QuadPart = kStreamBytes;
    return S_OK;
}
