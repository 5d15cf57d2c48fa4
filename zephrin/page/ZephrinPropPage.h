// CMfxZephrinPropPage: the editor page. A modeless dialog (template 102) and
// an IPropertyPage on one object with one reference count, linked to the
// filter it edits. Every edit goes straight into the filter's settings.
#pragma once

#include "zephrin/filter/PageLink.h"
#include "framework/Controls.h"
#include "framework/PropertyPage.h"

class CMfxZephrinFilter;

class CMfxZephrinPropPage final : public COlePropertyPage, public IZephrinPageLink {
public:
    CMfxZephrinPropPage();
    ~CMfxZephrinPropPage() override;

    // IZephrinPageLink. Refresh on the window's own thread updates the
    // controls at once; from any other thread it posts the update to the
    // window and returns without waiting.
    void Refresh() override;
    void FilterDetached(CMfxZephrinFilter* filter) override;

    BOOL OnInitDialog() override;

protected:
    HRESULT OnSetObject(IUnknown* object) override;
    void DoDataExchange(CDataExchange* pDX) override;
    DECLARE_MESSAGE_MAP()

private:
    void UpdateValueLabel(int column, int value);
    void OnHScroll(UINT code, UINT position, CWnd* control);
    void OnSliderStep(int column, int code, int position, int row);
    void OnLearnKey();
    void OnLookAheadFix();
    void OnDestroy();
    LRESULT OnRefreshMessage(WPARAM, LPARAM);
    void RefreshControls();
    void DetachFilter();

    CButton m_learnButton;
    CSliderCtrl m_ccOutSlider;
    CSliderCtrl m_keyInSlider;
    int m_useLookAheadFix = 0;
    CFilterLinkEnd<CMfxZephrinFilter> m_filter;  // guarded by PageLinkLock()
    CSliderCtrl* m_sliders[2] = {};
    int m_labelIds[2] = {};

    // The window an off-thread Refresh posts to; set while the window lives,
    // cleared before it goes, under PageLinkLock().
    CPostedRefresh m_refresh;
};
