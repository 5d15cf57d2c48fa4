// The class-object and unload rules, written once and run against every
// server: the server library linked into the unit tests, and each built
// module loaded by the module tests. Each program instantiates the suite
// with its own CServerUnderTest.
#pragma once

#include <objbase.h>

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);
using CanUnloadNowFn = HRESULT(STDAPICALLTYPE*)();

struct CServerExports {
    GetClassObjectFn getClassObject = nullptr;
    CanUnloadNowFn canUnloadNow = nullptr;
};

struct CServerUnderTest {
    const char* name;
    CServerExports (*open)();  // fails the test when the server cannot be reached
    void (*close)();
    const CLSID* filter;  // the filter class the server makes
    const CLSID* page;    // its page class, or null when it has none
};

// Names the server in test names and messages.
inline void PrintTo(const CServerUnderTest* server, std::ostream* os) { *os << server->name; }

class ClassObjects : public ::testing::TestWithParam<const CServerUnderTest*> {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new class object for the class, asked for IClassFactory.
    IClassFactory* ClassObject(REFCLSID clsid);
    // The server's classes: its filter, then its page if it has one.
    std::vector<const CLSID*> Classes() const;

    CServerExports server;
};
