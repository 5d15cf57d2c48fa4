// Saving and loading a filter's settings through its settings stream.
#include "tools/host/FilterSettings.h"

#include "common/ComPtr.h"
#include "tools/host/FilterLoader.h"

#include <cstring>
#include <iterator>

namespace {

// Closes the message boxes shown on this thread while it lives by pressing
// each box's default button, and keeps what the first one said: a host on
// the command line has nobody to press it, and the box would wait forever.
class CMessageBoxCloser {
public:
    CMessageBoxCloser()
        : m_previous(t_current),
          m_hook(SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId())) {
        t_current = this;
    }
    ~CMessageBoxCloser() {
        if (m_hook) UnhookWindowsHookEx(m_hook);
        t_current = m_previous;
    }
    CMessageBoxCloser(const CMessageBoxCloser&) = delete;
    CMessageBoxCloser& operator=(const CMessageBoxCloser&) = delete;

    const std::string& Said() const { return m_said; }

private:
    static constexpr int kTextControl = 0xFFFF;  // a message box's text

    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam) {
        CMessageBoxCloser* self = t_current;
        const HWND box = reinterpret_cast<HWND>(wParam);
        char className[16] = {};
        // A box activated again (another window came and went) is pressed once.
        if (self && code == HCBT_ACTIVATE && box != self->m_pressed &&
            GetClassNameA(box, className, sizeof className) && !strcmp(className, "#32770")) {
            self->m_pressed = box;
            char text[512] = {};
            GetDlgItemTextA(box, kTextControl, text, sizeof text);
            if (self->m_said.empty()) self->m_said = text[0] ? text : "(a message box with no text)";
            const LRESULT defId = SendMessageA(box, DM_GETDEFID, 0, 0);
            const int button = HIWORD(defId) == DC_HASDEFID ? LOWORD(defId) : IDOK;
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    CMessageBoxCloser* m_previous;
    HHOOK m_hook;
    HWND m_pressed = nullptr;
    std::string m_said;
    static thread_local CMessageBoxCloser* t_current;
};

thread_local CMessageBoxCloser* CMessageBoxCloser::t_current = nullptr;

HRESULT QueryPersist(IUnknown* filter, CComPtr<IPersistStream>& persist, std::string& error) {
    const HRESULT hr = filter->QueryInterface(IID_IPersistStream, persist.put_void());
    if (FAILED(hr))
        error = "the filter has no settings stream (IPersistStream): " + DescribeHresult(hr);
    return hr;
}

}  // namespace

HRESULT SaveFilterSettings(IUnknown* filter, std::vector<uint8_t>& bytes, std::string& error) {
    CComPtr<IPersistStream> persist;
    HRESULT hr = QueryPersist(filter, persist, error);
    if (FAILED(hr)) return hr;
    CComPtr<IStream> stream;
    hr = CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
    if (FAILED(hr)) {
        error = "cannot make a memory stream: " + DescribeHresult(hr);
        return hr;
    }
    hr = persist->Save(stream.get(), FALSE);
    if (FAILED(hr)) {
        error = "the filter failed to save its settings: " + DescribeHresult(hr);
        return hr;
    }
    STATSTG stat{};
    HGLOBAL memory = nullptr;
    if (FAILED(hr = stream->Stat(&stat, STATFLAG_NONAME)) ||
        FAILED(hr = GetHGlobalFromStream(stream.get(), &memory))) {
        error = "cannot read the saved settings back: " + DescribeHresult(hr);
        return hr;
    }
    const size_t size = static_cast<size_t>(stat.cbSize.QuadPart);
    const void* data = GlobalLock(memory);
    if (size && !data) {
        error = "cannot read the saved settings back";
        return E_FAIL;
    }
    bytes.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    if (data) GlobalUnlock(memory);
    return S_OK;
}

HRESULT LoadFilterSettings(IUnknown* filter, const std::vector<uint8_t>& bytes,
                           std::string& error) {
    CComPtr<IPersistStream> persist;
    HRESULT hr = QueryPersist(filter, persist, error);
    if (FAILED(hr)) return hr;
    CComPtr<IStream> stream;
    hr = CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
    ULONG written = 0;
    if (SUCCEEDED(hr))
        hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    LARGE_INTEGER start{};
    if (SUCCEEDED(hr)) hr = stream->Seek(start, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr) || written != bytes.size()) {
        error = "cannot make a memory stream of the settings: " + DescribeHresult(hr);
        return FAILED(hr) ? hr : E_FAIL;
    }
    CMessageBoxCloser boxes;
    hr = persist->Load(stream.get());
    if (FAILED(hr)) {
        error = "the filter refused the settings: " + DescribeHresult(hr);
        return hr;
    }
    if (boxes.Said().empty()) return S_OK;
    error = "the filter said \"" + boxes.Said() + "\"";
    return S_FALSE;
}

std::vector<uint8_t> ZephrinSettingsBytes(const ZephrinSettings& settings) {
    uint8_t bytes[ZephrinSettings::kBytes];
    EncodeZephrinSettings(settings, bytes);
    return std::vector<uint8_t>(std::begin(bytes), std::end(bytes));
}

std::vector<uint8_t> MapSettingsBytes(const MapSettings& settings) {
    uint8_t bytes[kMapMaxStreamBytes];
    return std::vector<uint8_t>(bytes, bytes + EncodeMapSettings(settings, bytes));
}
