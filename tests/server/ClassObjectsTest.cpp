// The server library's class objects: the shared rules, and what only the
// linked library lets a test see, the counters themselves and every object
// made with new (std::nothrow), which also lets allocations fail.
#include "tests/server/AllocationTracker.h"
#include "tests/server/ClassObjectCases.h"

#include "common/ComPtr.h"
#include "common/ModuleCounts.h"
#include "zephrin/filter/ZephrinIds.h"
#include "host/MfxHost.h"

#include <ocidl.h>

namespace {

const CServerUnderTest kLibrary = {
    "Library",
    [] { return CServerExports{&DllGetClassObject, &DllCanUnloadNow}; },
    [] {},
    &CLSID_ZephrinFilter,
    &CLSID_ZephrinPropPage,
};

CComPtr<IClassFactory> ClassObject(REFCLSID clsid) {
    CComPtr<IClassFactory> factory;
    EXPECT_EQ(DllGetClassObject(clsid, IID_IClassFactory, factory.put_void()), S_OK);
    return factory;
}

// Every test ends with the counters and the heap as they were.
class ServerLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(g_objectCount, 0);
        ASSERT_EQ(g_lockCount, 0);
        m_aliveBefore = allocations::Alive();
    }
    void TearDown() override {
        EXPECT_EQ(g_objectCount, 0);
        EXPECT_EQ(g_lockCount, 0);
        EXPECT_EQ(allocations::Alive(), m_aliveBefore) << "an object was left alive";
    }

private:
    int m_aliveBefore = 0;
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Exports, ClassObjects, ::testing::Values(&kLibrary),
                         [](const auto& info) { return std::string(info.param->name); });

using ClassObjectLifetime = ServerLibrary;

TEST_F(ClassObjectLifetime, ReleaseDeletesExactlyWhenItReturnsZero) {
    const int before = allocations::Alive();
    void* out = nullptr;
    ASSERT_EQ(DllGetClassObject(CLSID_ZephrinPropPage, IID_IClassFactory, &out), S_OK);
    auto* factory = static_cast<IClassFactory*>(out);
    EXPECT_EQ(allocations::Alive(), before + 1);
    EXPECT_EQ(factory->AddRef(), 2u);
    EXPECT_EQ(factory->Release(), 1u);
    EXPECT_EQ(allocations::Alive(), before + 1) << "still referenced";
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(allocations::Alive(), before);
}

TEST_F(ClassObjectLifetime, FailedRequestsLeaveNothingAlive) {
    const int before = allocations::Alive();
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(DllGetClassObject(CLSID_ZephrinFilter, IID_IPersist, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(allocations::Alive(), before) << "the class object made for the request is gone";

    CComPtr<IClassFactory> filters = ClassObject(CLSID_ZephrinFilter);
    CComPtr<IClassFactory> pages = ClassObject(CLSID_ZephrinPropPage);
    ASSERT_TRUE(filters && pages);
    const int withFactories = allocations::Alive();
    EXPECT_EQ(filters->CreateInstance(nullptr, IID_IPersist, &out), E_NOINTERFACE);
    EXPECT_EQ(g_objectCount, 0) << "the filter's destructor took the count back";
    EXPECT_EQ(pages->CreateInstance(nullptr, IID_IMfxEventFilter, &out), E_NOINTERFACE);
    EXPECT_EQ(allocations::Alive(), withFactories) << "neither the filter nor the page survived";
}

TEST_F(ClassObjectLifetime, AnObjectThatCannotBeAllocatedIsOutOfMemory) {
    void* out = reinterpret_cast<void*>(1);
    allocations::FailNext();
    EXPECT_EQ(DllGetClassObject(CLSID_ZephrinFilter, IID_IClassFactory, &out), E_OUTOFMEMORY);
    EXPECT_EQ(out, nullptr);

    CComPtr<IClassFactory> filters = ClassObject(CLSID_ZephrinFilter);
    CComPtr<IClassFactory> pages = ClassObject(CLSID_ZephrinPropPage);
    ASSERT_TRUE(filters && pages);
    out = reinterpret_cast<void*>(1);
    allocations::FailNext();
    EXPECT_EQ(filters->CreateInstance(nullptr, IID_IMfxEventFilter, &out), E_OUTOFMEMORY);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(g_objectCount, 0);
    out = reinterpret_cast<void*>(1);
    allocations::FailNext();
    EXPECT_EQ(pages->CreateInstance(nullptr, IID_IPropertyPage, &out), E_OUTOFMEMORY);
    EXPECT_EQ(out, nullptr);
}

using ModuleCounters = ServerLibrary;

TEST_F(ModuleCounters, FiltersCountThemselvesAndCreateInstanceChangesNoCounter) {
    CComPtr<IClassFactory> filters = ClassObject(CLSID_ZephrinFilter);
    ASSERT_TRUE(filters);
    CComPtr<IMfxEventFilter> first;
    CComPtr<IMfxEventFilter> second;
    ASSERT_EQ(filters->CreateInstance(nullptr, IID_IMfxEventFilter, first.put_void()), S_OK);
    ASSERT_EQ(filters->CreateInstance(nullptr, IID_IUnknown, second.put_void()), S_OK);
    EXPECT_EQ(g_objectCount, 2);
    EXPECT_EQ(g_lockCount, 0);
    first.Reset();
    EXPECT_EQ(g_objectCount, 1);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    second.Reset();
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
}

TEST_F(ModuleCounters, AnUnmatchedUnlockTakesTheLockCountBelowZero) {
    CComPtr<IClassFactory> pages = ClassObject(CLSID_ZephrinPropPage);
    ASSERT_TRUE(pages);
    EXPECT_EQ(pages->LockServer(FALSE), S_OK);
    EXPECT_EQ(g_lockCount, -1);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    EXPECT_EQ(pages->LockServer(TRUE), S_OK);
    EXPECT_EQ(pages->LockServer(TRUE), S_OK);
    EXPECT_EQ(g_lockCount, 1);
    EXPECT_EQ(pages->LockServer(FALSE), S_OK);
    EXPECT_EQ(g_lockCount, 0);
}
