#include "framework/AfxMessageBox.h"

#include "framework/ModuleState.h"

int AfxMessageBox(LPCSTR text, UINT type, UINT /*helpId*/) {
    LPCSTR caption = AfxGetAppName();
    return MessageBoxA(GetActiveWindow(), text, caption ? caption : "Zephrin", type);
}
