// The module's two class identifiers. Fixed for good: hosts store them in
// their projects and in the registry.
#pragma once

#include <objbase.h>

// {C209D5E0-B7E8-47B1-807B-D3B0E8197A15}
extern "C" const CLSID CLSID_ZephrinFilter;
// {E977E968-486D-46D8-A50E-E628D9FBE93A}
extern "C" const CLSID CLSID_ZephrinPropPage;
