// The filter as a COM object: identity, interfaces, counts, settings table,
// the page list, and the host's view of the vtable.
#include "zephrin/filter/ZephrinIds.h"
#include "tests/support/FilterFixture.h"
#include "tests/support/HostQueues.h"

#include <ocidl.h>

using FilterInterfaces = FilterTest;

TEST_F(FilterInterfaces, AllInterfacesShareOneIdentityAndOneCount) {
    IUnknown* unknown = nullptr;
    IMfxEventFilter* mfx = nullptr;
    IPersistStream* persist = nullptr;
    ISpecifyPropertyPages* pages = nullptr;
    ASSERT_EQ(filter->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    ASSERT_EQ(filter->QueryInterface(IID_IMfxEventFilter, reinterpret_cast<void**>(&mfx)), S_OK);
    ASSERT_EQ(filter->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&persist)), S_OK);
    ASSERT_EQ(filter->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(&pages)),
              S_OK);
    EXPECT_EQ(unknown, static_cast<IUnknown*>(mfx)) << "the filter interface is the identity";

    // Each interface answers for the others, and for the identity.
    IUnknown* viaPersist = nullptr;
    IUnknown* viaPages = nullptr;
    ASSERT_EQ(persist->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&viaPersist)), S_OK);
    ASSERT_EQ(pages->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&viaPages)), S_OK);
    EXPECT_EQ(viaPersist, unknown);
    EXPECT_EQ(viaPages, unknown);

    // One count: 1 from creation plus six references taken above.
    EXPECT_EQ(persist->AddRef(), 8u);
    EXPECT_EQ(pages->Release(), 7u);
    for (IUnknown* p : {static_cast<IUnknown*>(persist), viaPersist, viaPages,
                        static_cast<IUnknown*>(pages), static_cast<IUnknown*>(mfx), unknown})
        p->Release();
}

TEST_F(FilterInterfaces, RefusesOtherInterfacesWithNullOut) {
    for (const IID* iid : {&IID_IPersist, &IID_IClassFactory, &IID_IPropertyPage, &IID_IStream}) {
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(filter->QueryInterface(*iid, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(filter->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(filter->AddRef(), 2u) << "failed requests took no reference";
    filter->Release();
}

TEST_F(FilterInterfaces, NewFilterHasDefaultsAndIsClean) {
    EXPECT_EQ(filter->GetParam(0, 0), 96);
    EXPECT_EQ(filter->GetParam(0, 1), 64);
    EXPECT_EQ(filter->GetParam(1, 0), 1);
    EXPECT_EQ(filter->GetParam(1, 1), 128);
    EXPECT_EQ(filter->IsDirty(), S_FALSE);
    EXPECT_EQ(filter->m_learning, 0);
}

TEST_F(FilterInterfaces, SettingsTableStoresWithoutRangeCheckAndKnowsItsLimits) {
    filter->SetParam(0, 0, 200);
    filter->SetParam(1, 1, -5);
    EXPECT_EQ(filter->GetParam(0, 0), 200);
    EXPECT_EQ(filter->GetParam(1, 1), -5);
    EXPECT_EQ(filter->IsDirty(), S_FALSE) << "SetParam alone does not dirty";

    for (int column = 0; column < 2; ++column) {
        EXPECT_EQ(CMfxZephrinFilter::ParamMin(0, column), 0);
        EXPECT_EQ(CMfxZephrinFilter::ParamMin(1, column), 0);
        EXPECT_EQ(CMfxZephrinFilter::ParamMax(0, column), 127);
        EXPECT_EQ(CMfxZephrinFilter::ParamMax(1, column), 128);
        EXPECT_EQ(CMfxZephrinFilter::ParamMax(2, column), 0);
    }
}

TEST_F(FilterInterfaces, GetPagesNamesExactlyTheEditorPage) {
    CAUUID pages{};
    ASSERT_EQ(filter->GetPages(&pages), S_OK);
    ASSERT_EQ(pages.cElems, 1u);
    ASSERT_NE(pages.pElems, nullptr);
    EXPECT_TRUE(IsEqualGUID(pages.pElems[0], CLSID_ZephrinPropPage));
    CoTaskMemFree(pages.pElems);
    EXPECT_FALSE(IsEqualGUID(CLSID_ZephrinFilter, CLSID_ZephrinPropPage));
    EXPECT_EQ(filter->GetPages(nullptr), E_POINTER);
}

TEST_F(FilterInterfaces, TransportCallsSucceedAndKeepNoContext) {
    CTestEventQueue context;
    EXPECT_EQ(filter->Connect(&context), S_OK);
    EXPECT_EQ(context.refs, 1) << "the context object is not kept";
    EXPECT_EQ(filter->OnStart(0, 0), S_OK);
    EXPECT_EQ(filter->OnLoop(0, 0, 0), S_OK);
    EXPECT_EQ(filter->OnStop(0, 0), S_OK);
    EXPECT_EQ(filter->Disconnect(), S_OK);
}

// The host calls slots by position through the COM calling convention. Going
// through the raw vtable catches a misplaced method or a wrong convention,
// which on i686 would unbalance the stack.
TEST_F(FilterInterfaces, HostReachesOperationsBySlot) {
    IMfxEventFilter* mfx = filter;
    void** vtable = *reinterpret_cast<void***>(mfx);

    using OnInputFn = HRESULT(STDMETHODCALLTYPE*)(IMfxEventFilter*, DataQueue*, DataQueue*);
    using OnEventsFn = HRESULT(STDMETHODCALLTYPE*)(IMfxEventFilter*, LONG, LONG, EventQueue*,
                                                   EventQueue*);
    using OnStartFn = HRESULT(STDMETHODCALLTYPE*)(IMfxEventFilter*, LONG, LONG);

    CTestDataQueue liveIn({Live(0x90, 96, 100)}), liveOut;
    EXPECT_EQ(reinterpret_cast<OnInputFn>(vtable[9])(mfx, &liveIn, &liveOut), S_OK);
    ASSERT_EQ(liveOut.records.size(), 1u);
    EXPECT_EQ(liveOut.records[0].status, 0xB0);

    CTestEventQueue playIn({Note(10, 96, 80, 5)}), playOut;
    EXPECT_EQ(reinterpret_cast<OnEventsFn>(vtable[8])(mfx, 0, 100, &playIn, &playOut), S_OK);
    EXPECT_EQ(playOut.records.size(), 2u);
    EXPECT_EQ(reinterpret_cast<OnStartFn>(vtable[5])(mfx, 0, 0), S_OK);
}
