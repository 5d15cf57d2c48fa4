// The module's resources as built: dialog template 102 read back field by
// field, and the version resource.
#include "zephrin/resources/resource.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Reads an extended dialog template: WORD-aligned fields, items on DWORDs.
class CTemplateReader {
public:
    explicit CTemplateReader(const BYTE* data) : m_start(data), m_at(data) {}

    template <typename T>
    T Take() {
        T value;
        std::memcpy(&value, m_at, sizeof value);
        m_at += sizeof value;
        return value;
    }
    // A string or an ordinal; ordinals of the predefined classes by name.
    std::string TakeName() {
        if (Peek() == 0xFFFF) {
            Take<WORD>();
            switch (const WORD ordinal = Take<WORD>()) {
            case 0x0080: return "BUTTON";
            case 0x0082: return "STATIC";
            default: return "#" + std::to_string(ordinal);
            }
        }
        std::string text;
        while (const WORD c = Take<WORD>()) text += static_cast<char>(c);
        return text;
    }
    void AlignToDword() {
        while ((m_at - m_start) % 4) ++m_at;
    }

private:
    WORD Peek() const { return *reinterpret_cast<const WORD*>(m_at); }
    const BYTE* m_start;
    const BYTE* m_at;
};

const BYTE* Resource(LPCSTR type, int id, DWORD* size = nullptr) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id),
                                  MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (!found) return nullptr;
    if (size) *size = SizeofResource(module, found);
    return static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
}

}  // namespace

TEST(DialogTemplate, IsTheEditorsLayoutExactly) {
    const BYTE* data = Resource(RT_DIALOG, IDD_ZEPHRIN_PAGE);
    ASSERT_NE(data, nullptr) << "template 102 (US English) is missing";
    CTemplateReader in(data);
    EXPECT_EQ(in.Take<WORD>(), 1) << "DIALOGEX version";
    EXPECT_EQ(in.Take<WORD>(), 0xFFFF);
    EXPECT_EQ(in.Take<DWORD>(), 0u) << "help id";
    EXPECT_EQ(in.Take<DWORD>(), 0x10000u) << "extended style";
    EXPECT_EQ(in.Take<DWORD>(), 0x40000040u) << "style";
    const WORD count = in.Take<WORD>();
    EXPECT_EQ(count, 10);
    const short frame[4] = {in.Take<short>(), in.Take<short>(), in.Take<short>(), in.Take<short>()};
    EXPECT_EQ(std::vector<short>(frame, frame + 4), (std::vector<short>{0, 0, 173, 134}));
    EXPECT_EQ(in.TakeName(), "") << "menu";
    EXPECT_EQ(in.TakeName(), "") << "class";
    EXPECT_EQ(in.TakeName(), "") << "caption";
    EXPECT_EQ(in.Take<WORD>(), 8) << "points";
    EXPECT_EQ(in.Take<WORD>(), 0) << "weight";
    EXPECT_EQ(in.Take<BYTE>(), 0) << "italic";
    EXPECT_EQ(in.Take<BYTE>(), 1) << "character set";
    EXPECT_EQ(in.TakeName(), "MS Sans Serif");

    const struct {
        DWORD id;
        const char* className;
        const char* text;
        DWORD style;
        short x, y, cx, cy;
    } controls[] = {
        {1001, "msctls_trackbar32", "Slider1", 0x50030000, 7, 7, 159, 15},
        {1003, "STATIC", "Key In:", 0x50000002, 42, 22, 42, 8},
        {1002, "STATIC", "Static", 0x50000000, 90, 22, 53, 8},
        {1007, "msctls_trackbar32", "Slider2", 0x50030000, 7, 54, 159, 15},
        {1009, "STATIC", "CC Out:", 0x50000002, 42, 70, 42, 8},
        {1008, "STATIC", "Static", 0x50000000, 90, 70, 51, 8},
        {0xFFFFFFFF, "STATIC", "Quillfen MFX Zephrin", 0x50020000, 35, 107, 103, 8},
        {0xFFFFFFFF, "STATIC", "Created by Quillfen Audio  v1.0", 0x50020000, 27, 119, 119, 8},
        {1037, "BUTTON", "Learn Key", 0x50010000, 63, 35, 47, 14},
        {1038, "BUTTON", "Use playback look-ahead fix", 0x50010003, 34, 85, 105, 10},
    };
    for (int i = 0; i < count && i < 10; ++i) {
        const auto& want = controls[i];
        SCOPED_TRACE(want.text);
        in.AlignToDword();
        EXPECT_EQ(in.Take<DWORD>(), 0u) << "help id";
        EXPECT_EQ(in.Take<DWORD>(), 0u) << "extended style";
        EXPECT_EQ(in.Take<DWORD>(), want.style);
        const short x = in.Take<short>(), y = in.Take<short>();
        const short cx = in.Take<short>(), cy = in.Take<short>();
        EXPECT_EQ(std::vector<short>({x, y, cx, cy}),
                  std::vector<short>({want.x, want.y, want.cx, want.cy}));
        const DWORD id = in.Take<DWORD>();
        EXPECT_TRUE(id == want.id || (want.id == 0xFFFFFFFF && id == 0xFFFF)) << id;
        EXPECT_EQ(in.TakeName(), want.className);
        EXPECT_EQ(in.TakeName(), want.text);
        EXPECT_EQ(in.Take<WORD>(), 0) << "creation data";
    }
}

TEST(DialogTemplate, VersionResourceNamesThePlugInAtVersion1001) {
    DWORD size = 0;
    const BYTE* data = Resource(RT_VERSION, 1, &size);
    ASSERT_NE(data, nullptr);
    std::vector<BYTE> copy(data, data + size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(copy.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(1, 0));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    wchar_t* name = nullptr;
    ASSERT_TRUE(VerQueryValueW(copy.data(), L"\\StringFileInfo\\040904b0\\ProductName",
                               reinterpret_cast<void**>(&name), &length));
    EXPECT_STREQ(name, L"Quillfen MFX Zephrin");
}
