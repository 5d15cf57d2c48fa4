// The framework's message box: the module's own caption, owned by the
// calling thread's active window.
#pragma once

#include <windows.h>

int AfxMessageBox(LPCSTR text, UINT type = MB_OK, UINT helpId = 0);
