// HRESULTs in words, for the tools' one-line errors.
#pragma once

#include <windows.h>

#include <string>

// "0x80004002 (E_NOINTERFACE)" for the codes a filter is likely to return,
// "no such file (0x80070002)" for the file errors a user meets most, and
// the system's own words for any other.
std::string DescribeHresult(HRESULT hr);
