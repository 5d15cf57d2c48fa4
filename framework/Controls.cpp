#include "framework/Controls.h"

BOOL AfxRegisterCommonControls() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    return InitCommonControlsEx(&controls);
}
