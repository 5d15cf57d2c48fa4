// Both built modules' pages' Help, with each module copied into a folder of
// its own and its calls to the system that open help redirected to
// recorders: the guide beside the module, whatever the folder's length and
// script; Zephrin's classic help file first where it is there; nothing
// opened when nothing is there to open.
#include "common/ComPtr.h"
#include "common/ImportTable.h"
#include "common/UniqueHandle.h"
#include "map/mfx/MapIds.h"
#include "tests/server/ModuleTools.h"
#include "zephrin/filter/ZephrinIds.h"

#include <gtest/gtest.h>

#include <ocidl.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

std::vector<std::wstring> g_documents;  // what ShellExecuteW was asked to open
std::vector<std::string> g_helpFiles;   // what WinHelpA was asked for

HINSTANCE WINAPI RecordShellExecute(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR, LPCWSTR, INT) {
    g_documents.push_back(std::wstring(verb ? verb : L"") + L" " + file);
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));  // opened
}

BOOL WINAPI RecordWinHelp(HWND, LPCSTR file, UINT, ULONG_PTR) {
    g_helpFiles.push_back(file);
    return TRUE;
}

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

void PutFile(const std::wstring& path) {
    CUniqueHandleObj file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_NE(file.get(), INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file.get(), "<html></html>", 13, &written, nullptr);
    if (file.get() == INVALID_HANDLE_VALUE) file.release();
}

// A built module copied into a folder of its own and loaded from there, its
// page made through its own class object, its help calls recorded.
class CModuleCopy {
public:
    CModuleCopy(const std::wstring& folder, const char* builtPath, const wchar_t* name, REFCLSID page)
        : m_folder(folder), m_file(folder + L"\\" + name) {
        CreateDirectoryW(m_folder.c_str(), nullptr);
        if (!CopyFileW(Wide(WindowsPath(builtPath)).c_str(), m_file.c_str(), FALSE)) return;
        m_module.reset(LoadLibraryW(m_file.c_str()));
        if (!m_module) return;
        m_shellExecute = std::make_unique<CImportRedirect>(
            FindImportSlot(m_module.get(), "ShellExecuteW"), reinterpret_cast<void*>(&RecordShellExecute));
        m_winHelp = std::make_unique<CImportRedirect>(FindImportSlot(m_module.get(), "WinHelpA"),
                                                      reinterpret_cast<void*>(&RecordWinHelp));
        auto getClassObject = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
            reinterpret_cast<void*>(GetProcAddress(m_module.get(), "DllGetClassObject")));
        CComPtr<IClassFactory> factory;
        if (getClassObject && SUCCEEDED(getClassObject(page, IID_IClassFactory, factory.put_void())))
            factory->CreateInstance(nullptr, IID_IPropertyPage, m_page.put_void());
    }
    ~CModuleCopy() {
        m_page.Reset();
        m_shellExecute.reset();
        m_winHelp.reset();
        m_module.reset();
        for (const wchar_t* leftover : {L"ZephrinGuide.html", L"Zephrin.HLP", L"ZephrinMap.HLP"})
            DeleteFileW((m_folder + L"\\" + leftover).c_str());
        DeleteFileW(m_file.c_str());
        RemoveDirectoryW(m_folder.c_str());
    }

    bool Ready() const { return m_page && *m_shellExecute && *m_winHelp; }
    IPropertyPage* Page() const { return m_page.get(); }
    std::wstring In(const wchar_t* name) const { return m_folder + L"\\" + name; }

private:
    std::wstring m_folder, m_file;
    CUniqueModule m_module;
    std::unique_ptr<CImportRedirect> m_shellExecute, m_winHelp;
    CComPtr<IPropertyPage> m_page;
};

std::wstring TempFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + name;
}

class PageHelp : public ::testing::Test {
protected:
    void SetUp() override {
        g_documents.clear();
        g_helpFiles.clear();
    }
};

}  // namespace

TEST_F(PageHelp, OpensTheGuideBesideTheModuleInAFolderOfAnyLengthAndScript) {
    // Well past the classic help's 100 bytes, in Greek, Japanese and Czech.
    const std::wstring folder = TempFolder(
        L"Zephrin Ωμέγα ヘルプ Příručka " + std::wstring(150, L'x'));
    for (const auto& [built, name, page] :
         {std::tuple{ZEPHRIN_MODULE_PATH, L"Zephrin.dll", &CLSID_ZephrinPropPage},
          std::tuple{ZEPHRIN_MAP_MODULE_PATH, L"ZephrinMap.dll", &CLSID_ZephrinMapPropPage}}) {
        SCOPED_TRACE(built);
        g_documents.clear();
        CModuleCopy copy(folder, built, name, *page);
        ASSERT_TRUE(copy.Ready());
        EXPECT_EQ(copy.Page()->Help(nullptr), E_NOTIMPL) << "no guide there: nothing to open";
        EXPECT_TRUE(g_documents.empty());

        PutFile(copy.In(L"ZephrinGuide.html"));
        EXPECT_EQ(copy.Page()->Help(nullptr), S_FALSE);
        EXPECT_EQ(g_documents, std::vector<std::wstring>{L"open " + copy.In(L"ZephrinGuide.html")});
        EXPECT_TRUE(g_helpFiles.empty());
    }
}

TEST_F(PageHelp, ZephrinAsksTheHelpEngineForItsOwnHelpFileWhereItIsThere) {
    const std::wstring folder = TempFolder(L"Zephrin help");
    CModuleCopy zephrin(folder, ZEPHRIN_MODULE_PATH, L"Zephrin.dll", CLSID_ZephrinPropPage);
    ASSERT_TRUE(zephrin.Ready());
    PutFile(zephrin.In(L"ZephrinGuide.html"));
    PutFile(zephrin.In(L"Zephrin.HLP"));
    EXPECT_EQ(zephrin.Page()->Help(nullptr), S_FALSE);
    ASSERT_EQ(g_helpFiles.size(), 1u);
    EXPECT_EQ(Wide(g_helpFiles[0]), zephrin.In(L"Zephrin.HLP"));
    EXPECT_TRUE(g_documents.empty()) << "the classic help file comes first";

    // Map's page always opens the guide, a help file of its name or not.
    CModuleCopy map(folder, ZEPHRIN_MAP_MODULE_PATH, L"ZephrinMap.dll", CLSID_ZephrinMapPropPage);
    ASSERT_TRUE(map.Ready());
    PutFile(map.In(L"ZephrinMap.HLP"));
    EXPECT_EQ(map.Page()->Help(nullptr), S_FALSE);
    EXPECT_EQ(g_documents, std::vector<std::wstring>{L"open " + map.In(L"ZephrinGuide.html")});
    EXPECT_EQ(g_helpFiles.size(), 1u);
}
