// The page's dialog side: the eight rows made from one table, the handlers
// that write each control's setting into the filter, and the refresh that
// shows the filter's settings.
#include "map/page/MapPropPage.h"

#include "common/NoteLabel.h"

#include <commctrl.h>

#include <algorithm>

namespace {

enum class Kind { kCheck, kList, kKeyBox, kNumberBox, kButton };

// A column of the rows, in dialog units: its heading, the field its
// controls show, and where they go. The order is the tab order.
struct CRowColumn {
    MapField field;
    Kind kind;
    const wchar_t* heading;
    short x, cx;
};

const CRowColumn kColumns[kMapFields] = {
    {MapField::kOn, Kind::kCheck, L"On", 7, 22},
    {MapField::kInChannel, Kind::kList, L"Input", 33, 34},
    {MapField::kLowKey, Kind::kKeyBox, L"Lowest key", 71, 46},
    {MapField::kHighKey, Kind::kKeyBox, L"Highest key", 121, 46},
    {MapField::kController, Kind::kList, L"Controller", 171, 104},
    {MapField::kMode, Kind::kList, L"Mode", 279, 36},
    {MapField::kOnValue, Kind::kNumberBox, L"On value", 319, 32},
    {MapField::kOffValue, Kind::kNumberBox, L"Off value", 355, 32},
    {MapField::kVelocity, Kind::kCheck, L"Velocity", 391, 32},
    {MapField::kThrough, Kind::kCheck, L"Through", 427, 32},
    {MapField::kOutChannel, Kind::kList, L"Output", 463, 34},
    {MapField::kLearn, Kind::kButton, nullptr, 501, 44},
};
static_assert(static_cast<int>(MapField::kLearn) == kMapFields - 1);

constexpr short kHeadingY = 7;
constexpr short kFirstRowY = 19;
constexpr short kRowPitch = 16;
constexpr short kListDropHeight = 120;

const wchar_t kLearn[] = L"Learn";
const wchar_t kLearning[] = L"Learning\u2026";

const CRowColumn& ColumnOf(MapField field) { return kColumns[static_cast<int>(field)]; }

struct CRowControl {
    int row;
    MapField field;
    bool spin;  // the up-down control beside a number box
};

CRowControl RowControlOf(UINT id) {
    const int offset = static_cast<int>(id) - CMfxZephrinMapPropPage::kFirstRowId;
    const int inRow = offset % CMfxZephrinMapPropPage::kRowIds;
    return {offset / CMfxZephrinMapPropPage::kRowIds, static_cast<MapField>(inRow / 2),
            inRow % 2 == 1};
}

bool IsBox(MapField field) {
    const Kind kind = ColumnOf(field).kind;
    return kind == Kind::kKeyBox || kind == Kind::kNumberBox;
}

}  // namespace

BEGIN_MESSAGE_MAP(CMfxZephrinMapPropPage, CDialog)
    ON_CBN_SELCHANGE(IDC_START_FROM, OnStartFrom)
    ON_BN_CLICKED(IDC_MAP_LOOKAHEAD_FIX, OnLookAheadFix)
    ON_CONTROL_RANGE(BN_CLICKED, kFirstRowId, kLastRowId, OnRowClicked)
    ON_CONTROL_RANGE(CBN_SELCHANGE, kFirstRowId, kLastRowId, OnRowChosen)
    ON_CONTROL_RANGE(EN_KILLFOCUS, kFirstRowId, kLastRowId, OnRowTyped)
    ON_NOTIFY_RANGE(UDN_DELTAPOS, kFirstRowId, kLastRowId, OnRowSpin)
    ON_MESSAGE(CMfxFilter::kPageRefreshMessage, OnRefreshMessage)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

void CMfxZephrinMapPropPage::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_START_FROM, m_startFrom);
    DDX_Check(pDX, IDC_MAP_LOOKAHEAD_FIX, m_lookAheadFix);
}

BOOL CMfxZephrinMapPropPage::OnInitDialog() {
    CDialog::OnInitDialog();
    for (const char* name : kMapSetupNames) {
        wchar_t wide[64] = {};
        MultiByteToWideChar(CP_UTF8, 0, name, -1, wide, 64);
        m_startFrom.AddString(wide);
    }
    CreateRows();
    WindowReady();
    RefreshControls();
    return TRUE;
}

// Headings, then the rows one after the other, each control a group of its
// own: the arrow keys change a value and never move the focus. They go
// before the template's controls in the tab order, as they do on the page.
void CMfxZephrinMapPropPage::CreateRows() {
    AfxRegisterCommonControls(ICC_UPDOWN_CLASS);
    const HFONT font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    const HINSTANCE instance =
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(m_hWnd, GWLP_HINSTANCE));
    HWND previous = HWND_TOP;
    const auto make = [&](DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style,
                          RECT rect, int id) {
        MapDialogRect(&rect);
        HWND control =
            CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, rect.left,
                            rect.top, rect.right - rect.left, rect.bottom - rect.top, m_hWnd,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        SetWindowPos(control, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = control;
        return control;
    };
    for (const CRowColumn& column : kColumns) {
        if (!column.heading) continue;
        make(0, L"STATIC", column.heading, SS_LEFT,
             {column.x, kHeadingY, column.x + column.cx, kHeadingY + 8}, -1);
    }
    for (int row = 0; row < kMapMaxMappings; ++row) {
        const short y = kFirstRowY + row * kRowPitch;
        for (const CRowColumn& column : kColumns) {
            const int id = ControlId(row, column.field);
            const short right = column.x + column.cx;
            const DWORD common = WS_TABSTOP | WS_GROUP;
            switch (column.kind) {
            case Kind::kCheck: {
                const wchar_t number[2] = {static_cast<wchar_t>(L'1' + row), L'\0'};
                make(0, L"BUTTON", column.field == MapField::kOn ? number : L"",
                     common | BS_AUTOCHECKBOX, {column.x, short(y + 1), right, short(y + 11)}, id);
                break;
            }
            case Kind::kList: {
                HWND list = make(0, L"COMBOBOX", L"", common | WS_VSCROLL | CBS_DROPDOWNLIST,
                                 {column.x, y, right, short(y + kListDropHeight)}, id);
                for (int index = 0; index <= MapFieldMax(column.field); ++index) {
                    wchar_t text[40];
                    MapListItemText(column.field, index, text);
                    ::SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
                }
                break;
            }
            case Kind::kKeyBox:
            case Kind::kNumberBox: {
                HWND box = make(WS_EX_CLIENTEDGE, L"EDIT", L"", common | ES_AUTOHSCROLL,
                                {column.x, y, right, short(y + 12)}, id);
                HWND spin =
                    make(0, UPDOWN_CLASSW, L"", UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                         {0, 0, 0, 0}, id + 1);
                ::SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(box), 0);
                ::SendMessageW(spin, UDM_SETRANGE32, 0, MapFieldMax(column.field));
                break;
            }
            case Kind::kButton:
                make(0, L"BUTTON", kLearn, common | BS_PUSHBUTTON,
                     {column.x, short(y - 1), right, short(y + 13)}, id);
                break;
            }
        }
    }
}

void CMfxZephrinMapPropPage::OnDestroy() {
    // What was typed into the box with the focus counts, as if the focus
    // had left it: the frame's OK closes the page without moving it.
    HWND focus = ::GetFocus();
    const UINT id = focus && ::GetParent(focus) == m_hWnd ? GetDlgCtrlID(focus) : 0;
    if (id >= kFirstRowId && id <= kLastRowId && IsBox(RowControlOf(id).field)) OnRowTyped(id);
    WindowGoing();
}

void CMfxZephrinMapPropPage::RefreshControls() {
    MapSettings settings;
    int learning = -1;
    {
        CLockGuard link(PageLinkLock());
        if (!m_filter || !m_hWnd) return;
        settings = m_filter->Settings();
        learning = m_filter->Learning();
    }
    for (int row = 0; row < kMapMaxMappings; ++row)
        ShowRow(row, settings.mappings[row], row == learning);
    m_startFrom.SetCurSel(MapSetupOf(settings));
    m_lookAheadFix = settings.lookAheadFix ? BST_CHECKED : BST_UNCHECKED;
    UpdateData(FALSE);
}

// A row that is off keeps its values, greyed.
void CMfxZephrinMapPropPage::ShowRow(int row, const MapMapping& mapping, bool learning) {
    for (const CRowColumn& column : kColumns) {
        const int id = ControlId(row, column.field);
        HWND control = ::GetDlgItem(m_hWnd, id);
        HWND spin = nullptr;
        const int value = MapFieldValue(mapping, column.field);
        switch (column.kind) {
        case Kind::kCheck: ::SendMessageW(control, BM_SETCHECK, value, 0); break;
        case Kind::kList: ::SendMessageW(control, CB_SETCURSEL, value, 0); break;
        case Kind::kKeyBox:
        case Kind::kNumberBox: {
            char text[32];
            if (column.kind == Kind::kKeyBox) {
                lstrcpynA(text, CNoteLabel(value), sizeof text);
            } else {
                wsprintfA(text, "%d", value);
            }
            char shown[32] = {};
            GetWindowTextA(control, shown, sizeof shown);
            if (lstrcmpA(text, shown) != 0) SetWindowTextA(control, text);
            spin = ::GetDlgItem(m_hWnd, id + 1);
            ::SendMessageW(spin, UDM_SETPOS32, 0, value);
            break;
        }
        case Kind::kButton: SetWindowTextW(control, learning ? kLearning : kLearn); break;
        }
        if (column.field == MapField::kOn) continue;
        EnableWindow(control, mapping.on);
        if (spin) EnableWindow(spin, mapping.on);
    }
}

void CMfxZephrinMapPropPage::Edit(int row, MapField field, int value) {
    bool changed = false;
    {
        CLockGuard link(PageLinkLock());
        if (!m_filter) return;
        changed = m_filter->EditMapping(
            row, [&](MapMapping& mapping) { SetMapFieldValue(mapping, field, value); });
    }
    if (changed) SetModifiedFlag();
    RefreshControls();
}

int CMfxZephrinMapPropPage::TypedValue(int row, MapField field) const {
    char text[32] = {};
    GetDlgItemTextA(m_hWnd, ControlId(row, field), text, sizeof text);
    int32_t value = -1;
    const bool read = ColumnOf(field).kind == Kind::kKeyBox ? ParseNoteLabel(text, value)
                                                            : ParseWholeNumber(text, value);
    return read && value >= 0 && value <= MapFieldMax(field) ? value : -1;
}

void CMfxZephrinMapPropPage::OnRowClicked(UINT id) {
    const CRowControl control = RowControlOf(id);
    if (control.field != MapField::kLearn) {
        const LRESULT check =
            ::SendDlgItemMessageW(m_hWnd, static_cast<int>(id), BM_GETCHECK, 0, 0);
        Edit(control.row, control.field, check == BST_CHECKED);
        return;
    }
    // Learn mode lives in the filter: a second press on the row cancels it,
    // a press on another row moves it there. Neither side becomes dirty.
    {
        CLockGuard link(PageLinkLock());
        if (!m_filter) return;
        m_filter->SetLearning(m_filter->Learning() == control.row ? -1 : control.row);
    }
    RefreshControls();
}

void CMfxZephrinMapPropPage::OnRowChosen(UINT id) {
    const CRowControl control = RowControlOf(id);
    const LRESULT index = ::SendDlgItemMessageW(m_hWnd, static_cast<int>(id), CB_GETCURSEL, 0, 0);
    if (index >= 0) Edit(control.row, control.field, static_cast<int>(index));
}

// A typed value counts when the focus leaves its box; one that is no value
// of the field gives way to the setting again.
void CMfxZephrinMapPropPage::OnRowTyped(UINT id) {
    const CRowControl control = RowControlOf(id);
    const int value = TypedValue(control.row, control.field);
    if (value < 0) {
        RefreshControls();
        return;
    }
    Edit(control.row, control.field, value);
}

// The arrows, the mouse wheel or the up-down's buttons: a step from what
// the box shows, typed or not. The page moves the up-down itself.
void CMfxZephrinMapPropPage::OnRowSpin(UINT id, NMHDR* header, LRESULT* result) {
    *result = TRUE;
    const CRowControl control = RowControlOf(id);
    const auto* change = reinterpret_cast<const NMUPDOWN*>(header);
    int from = TypedValue(control.row, control.field);
    if (from < 0) from = change->iPos;
    Edit(control.row, control.field,
         std::clamp(from + change->iDelta, 0, MapFieldMax(control.field)));
}

// Replaces every mapping with the set-up, as one edit.
void CMfxZephrinMapPropPage::OnStartFrom() {
    const int index = m_startFrom.GetCurSel();
    if (index < 0 || index >= kMapSetups) return;
    bool changed = false;
    {
        CLockGuard link(PageLinkLock());
        if (!m_filter) return;
        const MapSettings current = m_filter->Settings();
        const MapSettings setup = MapSetup(index, current.lookAheadFix);
        changed = setup != current;
        if (changed) m_filter->SetSettings(setup);
    }
    if (changed) SetModifiedFlag();
    RefreshControls();
}

void CMfxZephrinMapPropPage::OnLookAheadFix() {
    {
        CLockGuard link(PageLinkLock());
        if (!m_filter) return;
        UpdateData(TRUE);
        m_filter->SetLookAheadFix(m_lookAheadFix == BST_CHECKED);
    }
    SetModifiedFlag();
}
