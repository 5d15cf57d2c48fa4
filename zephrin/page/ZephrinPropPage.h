// CMfxZephrinPropPage: the editor page. A modeless dialog (template 102) and
// an IPropertyPage on one object with one reference count, linked to the
// filter it edits. Every edit goes straight into the filter's settings.
#pragma once

#include "framework/Controls.h"
#include "mfx/FilterPage.h"
#include "zephrin/filter/ZephrinFilter.h"

class CMfxZephrinPropPage final : public CMfxFilterPage<CMfxZephrinFilter> {
public:
    CMfxZephrinPropPage();
    ~CMfxZephrinPropPage() override;

    // Brings the controls up to date with the filter: at once on the
    // window's own thread; from any other thread the update is posted to
    // the window, and this returns without waiting.
    void Refresh();

    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void RefreshControls() override;
    DECLARE_MESSAGE_MAP()

private:
    void UpdateValueLabel(int column, int value);
    void OnHScroll(UINT code, UINT position, CWnd* control);
    void OnSliderStep(int column, int code, int position, int row);
    void OnLearnKey();
    void OnLookAheadFix();
    void OnDestroy();

    CButton m_learnButton;
    CSliderCtrl m_ccOutSlider;
    CSliderCtrl m_keyInSlider;
    int m_useLookAheadFix = 0;
    CSliderCtrl* m_sliders[2] = {};
    int m_labelIds[2] = {};
};
