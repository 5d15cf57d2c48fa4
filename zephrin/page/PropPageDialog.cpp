// The page's dialog side: data exchange, message map and the handlers that
// edit the attached filter's settings, and Refresh, which shows them.
#include "zephrin/page/ZephrinPropPage.h"

#include "common/NoteLabel.h"
#include "zephrin/filter/ZephrinFilter.h"
#include "zephrin/resources/resource.h"

#include <cstdint>

namespace {

constexpr int kSliderRow = 0;
constexpr int kLookAheadRow = 1;
constexpr int kLookAheadColumn = 0;

}  // namespace

BEGIN_MESSAGE_MAP(CMfxZephrinPropPage, CDialog)
    ON_WM_HSCROLL()
    ON_BN_CLICKED(IDC_LEARN_KEY, OnLearnKey)
    ON_BN_DOUBLECLICKED(IDC_LEARN_KEY, OnLearnKey)
    ON_BN_CLICKED(IDC_LOOKAHEAD_FIX, OnLookAheadFix)
    ON_MESSAGE(CMfxFilter::kPageRefreshMessage, OnRefreshMessage)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

void CMfxZephrinPropPage::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LEARN_KEY, m_learnButton);
    DDX_Control(pDX, IDC_CCOUT_SLIDER, m_ccOutSlider);
    DDX_Control(pDX, IDC_KEYIN_SLIDER, m_keyInSlider);
    DDX_Check(pDX, IDC_LOOKAHEAD_FIX, m_useLookAheadFix);
}

BOOL CMfxZephrinPropPage::OnInitDialog() {
    CDialog::OnInitDialog();
    m_sliders[0] = &m_keyInSlider;
    m_sliders[1] = &m_ccOutSlider;
    m_labelIds[0] = IDC_KEYIN_VALUE;
    m_labelIds[1] = IDC_CCOUT_VALUE;

    WindowReady();
    bool attached = false;
    {
        CLockGuard link(PageLinkLock());
        attached = static_cast<bool>(m_filter);
    }
    if (!attached) return TRUE;  // the template's placeholders stay
    for (int column = 0; column < 2; ++column) {
        m_sliders[column]->SetRange(CMfxZephrinFilter::ParamMin(kSliderRow, column),
                                    CMfxZephrinFilter::ParamMax(kSliderRow, column), FALSE);
    }
    RefreshControls();
    return TRUE;
}

void CMfxZephrinPropPage::OnDestroy() { WindowGoing(); }

// From any thread. One that is not the window's must not wait for it (a
// MIDI thread held up by the user interface stalls live input, and a host
// waiting for that thread would deadlock), so the update is posted, at most
// one at a time, through the filter's refresh to this window.
void CMfxZephrinPropPage::Refresh() {
    CLockGuard link(PageLinkLock());
    if (m_filter && m_filter->PageRefresh().Window()) m_filter->PageRefresh().Deliver();
}

// On the window's thread: reads the filter under the link lock, then sets
// the controls without it.
void CMfxZephrinPropPage::RefreshControls() {
    int32_t values[2];
    bool learning = false;
    int32_t lookAheadFix = 0;
    {
        CLockGuard link(PageLinkLock());
        if (!m_filter || !m_hWnd) return;
        for (int column = 0; column < 2; ++column) values[column] = m_filter->GetParam(kSliderRow, column);
        learning = m_filter->m_learning.load(std::memory_order_relaxed) != 0;
        lookAheadFix = m_filter->GetParam(kLookAheadRow, kLookAheadColumn);
    }
    for (int column = 0; column < 2; ++column) {
        m_sliders[column]->SetPos(values[column]);
        UpdateValueLabel(column, values[column]);
    }
    SetDlgItemText(IDC_LEARN_KEY, learning ? "LEARNING" : "Learn Key");
    // A loaded stream may hold any value; every non-zero one means on.
    m_useLookAheadFix = lookAheadFix != 0 ? BST_CHECKED : BST_UNCHECKED;
    UpdateData(FALSE);
}

void CMfxZephrinPropPage::UpdateValueLabel(int column, int value) {
    if (column == 0) {
        SetDlgItemText(m_labelIds[0], CNoteLabel(value));
    } else if (column == 1) {
        SetDlgItemInt(m_labelIds[1], static_cast<UINT>(value), TRUE);
    }
}

void CMfxZephrinPropPage::OnHScroll(UINT code, UINT position, CWnd* control) {
    for (int column = 0; column < 2; ++column) {
        if (control && m_sliders[column] == control) {
            OnSliderStep(column, static_cast<int>(code), static_cast<int>(position), kSliderRow);
            return;
        }
    }
}

// Steps of one change the setting by exactly 1; a drag sets it at every
// track. The control places its own thumb; the label shows the setting.
void CMfxZephrinPropPage::OnSliderStep(int column, int code, int position, int row) {
    int32_t newValue = 0;
    {
        CLockGuard link(PageLinkLock());
        if (!m_filter) return;
        const int32_t current = m_filter->GetParam(row, column);
        const int32_t low = CMfxZephrinFilter::ParamMin(row, column);
        const int32_t high = CMfxZephrinFilter::ParamMax(row, column);
        switch (code) {
        case TB_LINEUP:
        case TB_PAGEUP:
            if (!(low < current)) return;
            newValue = current - 1;
            break;
        case TB_LINEDOWN:
        case TB_PAGEDOWN:
            if (!(current < high)) return;
            newValue = current + 1;
            break;
        case TB_THUMBTRACK:
            if (position < low || position > high) return;
            newValue = position;
            break;
        default:
            return;
        }
        m_filter->SetParam(row, column, newValue);
        m_filter->m_dirty.store(1, std::memory_order_relaxed);
    }
    SetModifiedFlag();
    UpdateValueLabel(column, newValue);
}

// Learn mode lives in the filter; neither side becomes dirty.
void CMfxZephrinPropPage::OnLearnKey() {
    {
        CLockGuard link(PageLinkLock());
        if (!m_filter) return;
        std::atomic<int32_t>& learning = m_filter->m_learning;
        learning.store(learning.load(std::memory_order_relaxed) == 0 ? 1 : 0,
                       std::memory_order_relaxed);
    }
    RefreshControls();
}

// The box has toggled itself; the setting follows at once, marking nothing.
void CMfxZephrinPropPage::OnLookAheadFix() {
    CLockGuard link(PageLinkLock());
    if (!m_filter) return;
    UpdateData(TRUE);
    m_filter->SetParam(kLookAheadRow, kLookAheadColumn, m_useLookAheadFix);
}
