// The built module as a sequencer uses it, every call of the filter
// interface, and its editor page made through the registry and driven as a
// frame and a person would: page info, activation, a slider step, Learn Key
// with the next live note, and a settings load that fails part way.
#include "tests/server/ModuleTools.h"

#include "zephrin/filter/ZephrinIds.h"
#include "host/MfxHost.h"
#include "zephrin/resources/resource.h"
#include "tests/support/CountingSite.h"
#include "tests/support/HostQueues.h"
#include "tests/support/MessageBoxCatcher.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <ocidl.h>

namespace {

class AsAHost : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveModuleEntries();
        ASSERT_EQ(RegisterModule(), 0);
        ASSERT_EQ(CoCreateInstance(CLSID_ZephrinFilter, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IMfxEventFilter, filter.put_void()),
                  S_OK);
        ASSERT_EQ(filter->QueryInterface(IID_IPersistStream, stream.put_void()), S_OK);
    }
    void TearDown() override {
        page.Reset();
        stream.Reset();
        filter.Reset();
        CoFreeUnusedLibraries();
        EXPECT_FALSE(ModuleLoaded())
            << "something still holds the module, even after its page was shown";
        EXPECT_EQ(site.refs, 1) << "the page kept its site";
        EXPECT_EQ(RegisterModule(true), 0);
        RemoveModuleEntries();
    }

    // The page the filter names, made through the registry, sited and given
    // the filter, as a property frame does before it activates a page.
    void OpenPage() {
        CComPtr<ISpecifyPropertyPages> pages;
        ASSERT_EQ(filter->QueryInterface(IID_ISpecifyPropertyPages, pages.put_void()), S_OK);
        CAUUID named = {};
        ASSERT_EQ(pages->GetPages(&named), S_OK);
        ASSERT_EQ(named.cElems, 1u);
        const CLSID pageClass = named.pElems[0];
        CoTaskMemFree(named.pElems);
        EXPECT_TRUE(IsEqualCLSID(pageClass, CLSID_ZephrinPropPage));
        ASSERT_EQ(CoCreateInstance(pageClass, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                                   page.put_void()),
                  S_OK);
        ASSERT_EQ(page->SetPageSite(&site), S_OK);
        IUnknown* object = filter.get();
        ASSERT_EQ(page->SetObjects(1, &object), S_OK);
    }
    void ClosePage() {
        EXPECT_EQ(page->SetPageSite(nullptr), S_OK);
        page.Reset();
    }

    std::vector<DataItem> Input(std::vector<DataItem> items) {
        CTestDataQueue in(std::move(items));
        CTestDataQueue out;
        EXPECT_EQ(filter->OnInput(&in, &out), S_OK);
        EXPECT_EQ(in.refs + out.refs, 2) << "the filter kept a queue";
        return out.records;
    }

    CComPtr<IMfxEventFilter> filter;
    CComPtr<IPersistStream> stream;
    CComPtr<IPropertyPage> page;
    CCountingSite site;
};

TEST_F(AsAHost, TakesEveryCallOfThePlayingCycle) {
    CCountingSite context;  // any object: the filter neither keeps it nor counts it
    EXPECT_EQ(filter->Connect(&context), S_OK);
    EXPECT_EQ(context.refs, 1);

    CTestEventQueue first({Note(0, 60, 90, 100), Note(100, 96, 100, 400)});
    CTestEventQueue out;
    EXPECT_EQ(filter->OnStart(0, 0), S_OK);
    EXPECT_EQ(filter->OnEvents(0, 239, &first, &out), S_OK);
    EXPECT_EQ(out.records, (std::vector<EventRecord>{Note(0, 60, 90, 100),
                                                     Event(100, kEventController, 64, 127, 400),
                                                     Event(499, kEventController, 64, 0, 400)}));
    // Neither a loop nor a stop forgets the pending pedal-up: the next window
    // that reaches it sends it again. A new start forgets it.
    EXPECT_EQ(filter->OnLoop(0, 479, 0), S_OK);
    EXPECT_EQ(filter->OnStop(239, 0), S_OK);
    CTestEventQueue none;
    CTestEventQueue again;
    EXPECT_EQ(filter->OnEvents(240, 519, &none, &again), S_OK);
    EXPECT_EQ(again.records, (std::vector<EventRecord>{Event(499, kEventController, 64, 0, 400)}));
    CTestEventQueue replayed;
    EXPECT_EQ(filter->OnEvents(0, 239, &first, &replayed), S_OK);
    EXPECT_EQ(filter->OnStart(0, 0), S_OK);
    CTestEventQueue afterStart;
    EXPECT_EQ(filter->OnEvents(240, 519, &none, &afterStart), S_OK);
    EXPECT_TRUE(afterStart.records.empty());

    EXPECT_EQ(Input({Live(0x90, 96, 100), Live(0x80, 96, 0), Live(0xE0, 0, 64)}),
              (std::vector<DataItem>{Live(0xB0, 64, 127), Live(0xB0, 64, 0), Live(0xE0, 0, 64)}));
    EXPECT_EQ(filter->Disconnect(), S_OK);
    EXPECT_EQ(context.refs, 1);
}

TEST_F(AsAHost, EditsTheFilterThroughItsPageAndLearnsTheNextKey) {
    ASSERT_NO_FATAL_FAILURE(OpenPage());
    PROPPAGEINFO info = {};
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    ASSERT_NE(info.pszTitle, nullptr);
    EXPECT_STREQ(info.pszTitle, L"Quillfen MFX Zephrin Title");
    CoTaskMemFree(info.pszTitle);

    CUniqueHwnd parent(CreateWindowExA(0, "STATIC", "frame", WS_OVERLAPPEDWINDOW, 0, 0, 480, 420,
                                       nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(parent);
    const RECT place = {0, 0, info.size.cx, info.size.cy};
    ASSERT_EQ(page->Activate(parent.get(), &place, FALSE), S_OK);
    const HWND dialog = GetWindow(parent.get(), GW_CHILD);
    ASSERT_TRUE(dialog);
    RECT measured = {0, 0, 173, 134};
    MapDialogRect(dialog, &measured);
    EXPECT_EQ(info.size.cx, measured.right);
    EXPECT_EQ(info.size.cy, measured.bottom);

    const HWND keySlider = GetDlgItem(dialog, IDC_KEYIN_SLIDER);
    // The right arrow key on the slider: the control moves its thumb one
    // line and tells the dialog, as it does for a person.
    SendMessageA(keySlider, WM_KEYDOWN, VK_RIGHT, 0);
    char label[32] = {};
    GetDlgItemTextA(dialog, IDC_KEYIN_VALUE, label, sizeof label);
    EXPECT_STREQ(label, "C#6 (97)");
    EXPECT_EQ(SendMessageA(keySlider, TBM_GETPOS, 0, 0), 97);
    EXPECT_EQ(site.dirtyCalls, 1);
    EXPECT_EQ(stream->IsDirty(), S_OK);
    EXPECT_EQ(SavedSettings(stream.get()), (std::vector<int32_t>{97, 64, 1, 128}));

    SendMessageA(GetDlgItem(dialog, IDC_LEARN_KEY), BM_CLICK, 0, 0);
    GetDlgItemTextA(dialog, IDC_LEARN_KEY, label, sizeof label);
    EXPECT_STREQ(label, "LEARNING");
    EXPECT_EQ(Input({Live(0xE1, 0, 64), Live(0x91, 72, 90), Live(0x91, 72, 91)}),
              (std::vector<DataItem>{Live(0xE1, 0, 64), Live(0x91, 72, 91)}))
        << "the learned note-on is swallowed; the rest of the call keeps the old key";
    EXPECT_EQ(Input({Live(0x81, 72, 0)}), (std::vector<DataItem>{Live(0xB1, 64, 0)}));
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    GetDlgItemTextA(dialog, IDC_KEYIN_VALUE, label, sizeof label);
    EXPECT_STREQ(label, "C4 (72)");
    GetDlgItemTextA(dialog, IDC_LEARN_KEY, label, sizeof label);
    EXPECT_STREQ(label, "Learn Key");
    EXPECT_EQ(SavedSettings(stream.get()), (std::vector<int32_t>{72, 64, 1, 128}));

    EXPECT_EQ(page->Deactivate(), S_OK);
    EXPECT_FALSE(IsWindow(dialog));
    ClosePage();
}

TEST_F(AsAHost, AFailedLoadSaysSoAndKeepsWhatWasRead) {
    CComPtr<IStream> project = StreamOf({60, 11, 0, 128});
    ASSERT_EQ(stream->Load(project.get()), S_OK);
    EXPECT_EQ(SavedSettings(stream.get()), (std::vector<int32_t>{60, 11, 0, 128}));

    // Six bytes: the first value whole, the second cut short.
    CComPtr<IStream> cut;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, cut.put()), S_OK);
    const int32_t values[2] = {48, 20};
    ASSERT_EQ(cut->Write(values, 6, nullptr), S_OK);
    ASSERT_EQ(cut->Seek({}, STREAM_SEEK_SET, nullptr), S_OK);
    {
        CMessageBoxCatcher boxes;
        EXPECT_EQ(stream->Load(cut.get()), S_OK);
        ASSERT_EQ(boxes.Caught().size(), 1u);
        EXPECT_EQ(boxes.Caught()[0].text, "Load for Quillfen MFX Zephrin settings failed.");
        EXPECT_EQ(boxes.Caught()[0].buttons, (std::vector<std::string>{"OK"}));
    }
    EXPECT_EQ(SavedSettings(stream.get()), (std::vector<int32_t>{48, 11, 0, 128}));
    EXPECT_EQ(Input({Live(0x90, 48, 100)}), (std::vector<DataItem>{Live(0xB0, 11, 127)}));
}

}  // namespace
