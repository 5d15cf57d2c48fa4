// Identifiers of the module's resources and of the editor's controls.
#pragma once

#define IDD_ZEPHRIN_PAGE 102

#define IDC_KEYIN_SLIDER 1001
#define IDC_KEYIN_VALUE 1002
#define IDC_KEYIN_CAPTION 1003
#define IDC_CCOUT_SLIDER 1007
#define IDC_CCOUT_VALUE 1008
#define IDC_CCOUT_CAPTION 1009
#define IDC_LEARN_KEY 1037
#define IDC_LOOKAHEAD_FIX 1038
