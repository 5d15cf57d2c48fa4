// CMfxZephrinMapPropPage: Zephrin Map's editor page. A modeless dialog
// (template 102, whose eight rows of controls the page makes from one
// table) and an IPropertyPage on one object with one reference count,
// linked to the filter it edits. Every edit goes straight into the filter.
#pragma once

#include "framework/Controls.h"
#include "map/mfx/MapFilter.h"
#include "mfx/FilterPage.h"
#include "map/page/MapPageRows.h"
#include "map/resources/resource.h"

class CMfxZephrinMapPropPage final : public CMfxFilterPage<CMfxZephrinMapFilter> {
public:
    CMfxZephrinMapPropPage();
    ~CMfxZephrinMapPropPage() override;

    BOOL OnInitDialog() override;

    // The control of a row's field, and the up-down control beside a number
    // box (the box's identifier + 1).
    static constexpr int kRowIds = 2 * kMapFields;
    static constexpr int kFirstRowId = IDC_MAP_ROWS_FIRST;
    static constexpr int kLastRowId = kFirstRowId + kMapMaxMappings * kRowIds - 1;
    static int ControlId(int row, MapField field) {
        return kFirstRowId + row * kRowIds + 2 * static_cast<int>(field);
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    // Reads the filter under the link lock, then shows it.
    void RefreshControls() override;
    DECLARE_MESSAGE_MAP()

private:
    void CreateRows();
    void OnStartFrom();
    void OnLookAheadFix();
    void OnRowClicked(UINT id);
    void OnRowChosen(UINT id);
    void OnRowTyped(UINT id);
    void OnRowSpin(UINT id, NMHDR* header, LRESULT* result);
    void OnDestroy();

    // Writes one field of one row into the filter, as one edit in one turn,
    // and shows the row as the filter then holds it.
    void Edit(int row, MapField field, int value);
    // What a number box holds as typed, or -1 when it is no value of its field.
    int TypedValue(int row, MapField field) const;
    void ShowRow(int row, const MapMapping& mapping, bool learning);

    CComboBox m_startFrom;
    int m_lookAheadFix = 0;
};
