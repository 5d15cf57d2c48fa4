// Zephrin Map's class identifiers. Fixed for good: hosts store them in their
// projects and in the registry.
#pragma once

#include <objbase.h>

// {B82780CD-E069-4512-8A9A-C88661E75605}
extern "C" const CLSID CLSID_ZephrinMapFilter;
// {2A3C4FF1-039C-446F-AC90-96D8EB5FA342}
extern "C" const CLSID CLSID_ZephrinMapPropPage;
