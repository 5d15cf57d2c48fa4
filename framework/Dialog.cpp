#include "framework/Dialog.h"

#include "framework/Controls.h"
#include "framework/ModuleState.h"

namespace {

// Posted to a window whose dialog object went away on another thread: only
// the window's own thread may destroy it.
UINT OrphanedMessage() {
    static const UINT message = RegisterWindowMessageA("Zephrin.OrphanedDialog");
    return message;
}

}  // namespace

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() {
    if (!m_hWnd) return;
    // The window must not reach this object again. The bound controls are
    // members of the derived class and already gone: leave them alone.
    SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
    if (GetWindowThreadProcessId(m_hWnd, nullptr) == GetCurrentThreadId()) {
        ::DestroyWindow(m_hWnd);
    } else {
        ::PostMessageA(m_hWnd, OrphanedMessage(), 0, 0);
    }
    m_hWnd = nullptr;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    if (m_hWnd) return FALSE;
    m_nIDTemplate = templateId;
    // The parent object may be a temporary (CWnd::FromHandle): the new
    // window keeps its parent's handle, nothing here keeps the object.
    m_pParentWnd = nullptr;
    AfxRegisterCommonControls();
    HWND hwnd = CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(templateId),
                                   parent ? parent->m_hWnd : nullptr, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr && m_hWnd == hwnd;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

const AFX_MSGMAP* CDialog::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

const AFX_MSGMAP* CDialog::GetMessageMap() const { return GetThisMessageMap(); }

CTempWnd CDialog::BoundControl(HWND child) const {
    for (int i = 0; i < m_boundCount; ++i) {
        if (m_bound[i]->m_hWnd == child) return CTempWnd(child, m_bound[i]);
    }
    return CWnd::FromHandle(child);
}

bool CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->entries; entry->handler; ++entry) {
            if (entry->message != message) continue;
            if (message == WM_COMMAND && !entry->Matches(HIWORD(wParam), LOWORD(wParam))) continue;
            if (message == WM_NOTIFY) {
                const auto* header = reinterpret_cast<const NMHDR*>(lParam);
                if (!header || !entry->Matches(header->code, header->idFrom)) continue;
            }
            *result = entry->handler(this, wParam, lParam);
            return true;
        }
    }
    return false;
}

void CDialog::WindowGone() {
    for (int i = 0; i < m_boundCount; ++i) m_bound[i]->m_hWnd = nullptr;
    m_boundCount = 0;
    m_hWnd = nullptr;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        dialog->m_hWnd = hwnd;
        return dialog->OnInitDialog();
    }
    if (message == OrphanedMessage() && message != 0) {
        ::DestroyWindow(hwnd);
        return TRUE;
    }
    auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (!dialog) return FALSE;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        dialog->WindowGone();
        return FALSE;
    }
    LRESULT result = 0;
    if (!dialog->Dispatch(message, wParam, lParam, &result)) return FALSE;
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    CDialog* dialog = pDX->m_pDlgWnd;
    if (control.m_hWnd || dialog->m_boundCount == CDialog::kMaxBoundControls) return;
    HWND child = GetDlgItem(dialog->m_hWnd, id);
    if (!child) return;
    control.m_hWnd = child;
    dialog->m_bound[dialog->m_boundCount++] = &control;
}

void DDX_Check(CDataExchange* pDX, int id, int& value) {
    HWND dialog = pDX->m_pDlgWnd->m_hWnd;
    if (pDX->m_bSaveAndValidate) {
        value = static_cast<int>(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
    } else {
        SendDlgItemMessageA(dialog, id, BM_SETCHECK, static_cast<WPARAM>(value), 0);
    }
}
