#include "framework/AfxMessageBox.h"

namespace {
constexpr char kCaption[] = "Quillfen MFX Zephrin";
}

int AfxMessageBox(LPCSTR text, UINT type, UINT /*helpId*/) {
    return MessageBoxA(GetActiveWindow(), text, kCaption, type);
}
