// Class objects made afresh per request, the interfaces they answer for,
// what CreateInstance makes and refuses, and what keeps the module loaded.
#include "tests/server/ClassObjectCases.h"

#include "common/ComPtr.h"
#include "host/MfxHost.h"

#include <ocidl.h>

namespace {

// Stands in for an outer object that asks to aggregate.
class COuter final : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
};

}  // namespace

void ClassObjects::SetUp() {
    server = GetParam()->open();
    ASSERT_TRUE(server.getClassObject && server.canUnloadNow);
    ASSERT_EQ(server.canUnloadNow(), S_OK) << "the server starts with no object and no lock";
}

void ClassObjects::TearDown() {
    if (server.canUnloadNow) {
        EXPECT_EQ(server.canUnloadNow(), S_OK) << "a test left something alive";
    }
    GetParam()->close();
}

std::vector<const CLSID*> ClassObjects::Classes() const {
    std::vector<const CLSID*> classes{GetParam()->filter};
    if (GetParam()->page) classes.push_back(GetParam()->page);
    return classes;
}

IClassFactory* ClassObjects::ClassObject(REFCLSID clsid) {
    void* factory = nullptr;
    EXPECT_EQ(server.getClassObject(clsid, IID_IClassFactory, &factory), S_OK);
    return static_cast<IClassFactory*>(factory);
}

TEST_P(ClassObjects, EveryRequestGetsANewClassObjectWithOneReference) {
    for (const CLSID* clsid : Classes()) {
        SCOPED_TRACE(clsid == GetParam()->filter ? "filter" : "page");
        IClassFactory* first = ClassObject(*clsid);
        IClassFactory* second = ClassObject(*clsid);
        ASSERT_TRUE(first && second);
        EXPECT_NE(first, second);
        EXPECT_EQ(first->AddRef(), 2u);
        EXPECT_EQ(first->Release(), 1u);
        EXPECT_EQ(first->Release(), 0u);
        EXPECT_EQ(second->Release(), 0u);
    }
}

TEST_P(ClassObjects, AnswerForIUnknownAndIClassFactoryOnly) {
    for (const CLSID* clsid : Classes()) {
        SCOPED_TRACE(clsid == GetParam()->filter ? "filter" : "page");
        CComPtr<IUnknown> unknown;
        ASSERT_EQ(server.getClassObject(*clsid, IID_IUnknown, unknown.put_void()), S_OK);
        CComPtr<IClassFactory> factory;
        ASSERT_EQ(unknown->QueryInterface(IID_IClassFactory, factory.put_void()), S_OK);
        EXPECT_EQ(static_cast<IUnknown*>(factory.get()), unknown.get());

        for (const IID* iid : {&IID_IPersist, &IID_IClassFactory2, &IID_IMfxEventFilter,
                               &IID_IPropertyPage}) {
            void* out = reinterpret_cast<void*>(1);
            EXPECT_EQ(server.getClassObject(*clsid, *iid, &out), E_NOINTERFACE);
            EXPECT_EQ(out, nullptr);
            out = reinterpret_cast<void*>(1);
            EXPECT_EQ(factory->QueryInterface(*iid, &out), E_NOINTERFACE);
            EXPECT_EQ(out, nullptr);
        }
        EXPECT_EQ(factory->AddRef(), 3u) << "refused requests took no reference";
        factory->Release();
    }
}

TEST_P(ClassObjects, OtherClassesAreNotAvailable) {
    const CLSID other = {0x1c1d0a6e, 0x3b52, 0x4b8e, {0x9c, 0x31, 0x55, 0x0f, 0x2e, 0x61, 0x7a, 0x90}};
    for (const CLSID* clsid : {&other, &IID_IMfxEventFilter, &IID_IClassFactory}) {
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(server.getClassObject(*clsid, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(server.getClassObject(*GetParam()->filter, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_P(ClassObjects, AggregationIsRefused) {
    COuter outer;
    for (const CLSID* clsid : Classes()) {
        SCOPED_TRACE(clsid == GetParam()->filter ? "filter" : "page");
        CComPtr<IClassFactory> factory = CComPtr<IClassFactory>::Attach(ClassObject(*clsid));
        ASSERT_TRUE(factory);
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(factory->CreateInstance(&outer, IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(server.canUnloadNow(), S_OK) << "no filter was made";
    }
}

TEST_P(ClassObjects, LiveFiltersKeepTheModuleLoadedPagesAndClassObjectsDoNot) {
    const CLSID& filterClass = *GetParam()->filter;
    CComPtr<IClassFactory> filters = CComPtr<IClassFactory>::Attach(ClassObject(filterClass));
    ASSERT_TRUE(filters);
    EXPECT_EQ(server.canUnloadNow(), S_OK) << "class objects held without a lock";

    CComPtr<IMfxEventFilter> filter;
    ASSERT_EQ(filters->CreateInstance(nullptr, IID_IMfxEventFilter, filter.put_void()), S_OK);
    EXPECT_EQ(server.canUnloadNow(), S_FALSE);
    CComPtr<IPersistStream> persist;
    ASSERT_EQ(filter->QueryInterface(IID_IPersistStream, persist.put_void()), S_OK);
    CLSID clsid = {};
    EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, filterClass));
    persist.Reset();
    EXPECT_EQ(filter.Detach()->Release(), 0u) << "the caller held the only reference";
    EXPECT_EQ(server.canUnloadNow(), S_OK);

    if (!GetParam()->page) return;
    CComPtr<IClassFactory> pages = CComPtr<IClassFactory>::Attach(ClassObject(*GetParam()->page));
    ASSERT_TRUE(pages);
    CComPtr<IPropertyPage> page;
    ASSERT_EQ(pages->CreateInstance(nullptr, IID_IPropertyPage, page.put_void()), S_OK);
    EXPECT_EQ(server.canUnloadNow(), S_OK) << "a living page does not count";
    CComPtr<IUnknown> identity;
    ASSERT_EQ(page->QueryInterface(IID_IUnknown, identity.put_void()), S_OK);
    EXPECT_EQ(identity.get(), static_cast<IUnknown*>(page.get()));
    identity.Reset();
    EXPECT_EQ(page.Detach()->Release(), 0u);
}

TEST_P(ClassObjects, AnObjectWithoutTheInterfaceIsNotMade) {
    CComPtr<IClassFactory> filters = CComPtr<IClassFactory>::Attach(ClassObject(*GetParam()->filter));
    ASSERT_TRUE(filters);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(filters->CreateInstance(nullptr, IID_IPersist, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(server.canUnloadNow(), S_OK) << "the filter made for the request is gone";
    EXPECT_EQ(filters->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
    if (!GetParam()->page) return;
    CComPtr<IClassFactory> pages = CComPtr<IClassFactory>::Attach(ClassObject(*GetParam()->page));
    ASSERT_TRUE(pages);
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(pages->CreateInstance(nullptr, IID_IMfxEventFilter, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
}

// All class objects of a server share one lock count; with no page class,
// two class objects of the filter show it.
TEST_P(ClassObjects, LocksKeepTheModuleLoadedAndAreNotClamped) {
    const CLSID& other = GetParam()->page ? *GetParam()->page : *GetParam()->filter;
    CComPtr<IClassFactory> filters = CComPtr<IClassFactory>::Attach(ClassObject(*GetParam()->filter));
    CComPtr<IClassFactory> others = CComPtr<IClassFactory>::Attach(ClassObject(other));
    ASSERT_TRUE(filters && others);
    EXPECT_EQ(filters->LockServer(TRUE), S_OK);
    EXPECT_EQ(server.canUnloadNow(), S_FALSE);
    EXPECT_EQ(others->LockServer(FALSE), S_OK) << "both class objects share the lock count";
    EXPECT_EQ(server.canUnloadNow(), S_OK);

    EXPECT_EQ(others->LockServer(FALSE), S_OK) << "an unlock without a lock";
    EXPECT_EQ(server.canUnloadNow(), S_FALSE) << "the count went below zero";
    EXPECT_EQ(filters->LockServer(TRUE), S_OK);
    EXPECT_EQ(server.canUnloadNow(), S_OK);
}
