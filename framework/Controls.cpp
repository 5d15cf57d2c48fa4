#include "framework/Controls.h"

BOOL AfxRegisterCommonControls(DWORD classes) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, classes};
    return InitCommonControlsEx(&controls);
}
