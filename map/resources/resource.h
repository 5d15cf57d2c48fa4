// Identifiers of Zephrin Map's resources and of its page's fixed controls.
// The eight rows' controls are made by the page from one table
// (map/page/MapPageRows.h), with identifiers from IDC_MAP_ROWS on.
#pragma once

#define IDD_ZEPHRIN_MAP_PAGE 102

#define IDC_START_FROM_CAPTION 1001
#define IDC_START_FROM 1002
#define IDC_MAP_LOOKAHEAD_FIX 1003

#define IDC_MAP_ROWS_FIRST 2000
