// The settings stream: the four settings as 16 bytes, little-endian int32s,
// row by row, with no header. The only persistent format of the module.
#include "zephrin/filter/ZephrinFilter.h"

#include "zephrin/filter/ZephrinSettings.h"

namespace {

constexpr ULONG kFieldBytes = ZephrinSettings::kFieldBytes;
static_assert(CMfxZephrinFilter::kRows * CMfxZephrinFilter::kColumns == ZephrinSettings::kFields);

constexpr char kLoadFailedText[] = "Load for Quillfen MFX Zephrin settings failed.";

}  // namespace

// Field by field: a stream that ends early leaves the values read so far,
// and the rest as they were.
const char* CMfxZephrinFilter::LoadSettings(IStream* stream) {
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            uint8_t bytes[kFieldBytes];
            if (!ReadExactly(stream, bytes, kFieldBytes)) return kLoadFailedText;
            // Stored as read, without a range check: the editor's limits are
            // the editor's, and a project must load as it was saved.
            SetParam(row, column, DecodeZephrinField(bytes));
        }
    }
    return nullptr;
}

HRESULT CMfxZephrinFilter::SaveSettings(IStream* stream) {
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            uint8_t bytes[kFieldBytes];
            EncodeZephrinField(GetParam(row, column), bytes);
            const HRESULT hr = stream->Write(bytes, kFieldBytes, nullptr);
            if (FAILED(hr)) return hr;
        }
    }
    return S_OK;
}

ULONGLONG CMfxZephrinFilter::SettingsSize() { return ZephrinSettings::kBytes; }
