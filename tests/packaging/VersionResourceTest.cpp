// The version resources of the Windows module (both forms) and programs carry
// the project version, in the fixed numbers and in the texts Explorer shows.
// toneloom-play is a windowed program with its icon and its strip's pictures.
#include "ToneloomVersion.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

struct VersionedFile
{
    const char* name;
    const wchar_t* path;
    DWORD fileType;              // VFT_DLL or VFT_APP
    const wchar_t* originalName; // the file name it is made as
};

std::wstring Widen(const char* text)
{
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

class VersionResourceTest : public ::testing::TestWithParam<VersionedFile>
{
protected:
    void SetUp() override
    {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(GetParam().path, &ignored);
        ASSERT_GT(size, 0u) << "no version resource";
        block.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(GetParam().path, 0, size, block.data()));
    }

    std::wstring Text(const wchar_t* name)
    {
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || length == 0) {
            return L"(missing)";
        }
        return static_cast<const wchar_t*>(value);
    }

    std::vector<char> block;
};

TEST_P(VersionResourceTest, FixedNumbersAreTheProjectVersion)
{
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(info->dwSignature, 0xFEEF04BDu);
    const DWORD high = (TONELOOM_VERSION_MAJOR << 16) | TONELOOM_VERSION_MINOR;
    const DWORD low = TONELOOM_VERSION_PATCH << 16;
    EXPECT_EQ(info->dwFileVersionMS, high);
    EXPECT_EQ(info->dwFileVersionLS, low);
    EXPECT_EQ(info->dwProductVersionMS, high);
    EXPECT_EQ(info->dwProductVersionLS, low);
    EXPECT_EQ(info->dwFileType, GetParam().fileType);
}

TEST_P(VersionResourceTest, TextsNameTheProductAndItsVersion)
{
    EXPECT_EQ(Text(L"FileVersion"), Widen(TONELOOM_VERSION_STRING));
    EXPECT_EQ(Text(L"ProductVersion"), Widen(TONELOOM_VERSION_STRING));
    EXPECT_EQ(Text(L"ProductName"), L"Toneloom");
    EXPECT_EQ(Text(L"CompanyName"), L"Orvanta");
    EXPECT_EQ(Text(L"OriginalFilename"), GetParam().originalName);
}

const VersionedFile kFiles[] = {
    {"Bundle", L"" TONELOOM_BUNDLE_MODULE, VFT_DLL, L"Toneloom.vst3"},
    {"Flat", L"" TONELOOM_FLAT_MODULE, VFT_DLL, L"Toneloom.vst3"},
    {"Renderer", L"" TONELOOM_RENDER_PROGRAM, VFT_APP, L"toneloom-render.exe"},
#if defined(TONELOOM_PLAY_PROGRAM)
    {"Player", L"" TONELOOM_PLAY_PROGRAM, VFT_APP, L"toneloom-play.exe"},
#endif
#if defined(TONELOOM_SNAPSHOT_PROGRAM)
    {"Snapshot", L"" TONELOOM_SNAPSHOT_PROGRAM, VFT_APP, L"toneloom-snapshot.exe"},
#endif
};

INSTANTIATE_TEST_SUITE_P(Files, VersionResourceTest, ::testing::ValuesIn(kFiles),
                         [](const ::testing::TestParamInfo<VersionedFile>& param) {
                             return std::string(param.param.name);
                         });

#if defined(TONELOOM_PLAY_PROGRAM)
// Explorer, the Start menu and the taskbar show the first icon group; the
// strip's pictures are found by id in the program itself; started from them
// it opens no console window.
TEST(PlayerResources, IconPicturesAndWindowedSubsystem)
{
    HMODULE program = LoadLibraryExW(L"" TONELOOM_PLAY_PROGRAM, nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(program, nullptr);
    EXPECT_NE(FindResourceA(program, MAKEINTRESOURCEA(1), RT_GROUP_ICON), nullptr);
    for (int id : {120, 121, 220, 221, 320, 321}) {
        EXPECT_NE(FindResourceA(program, MAKEINTRESOURCEA(id), "PNG"), nullptr) << id;
    }
    FreeLibrary(program);

    // The subsystem field of the PE optional header.
    HANDLE file = CreateFileW(L"" TONELOOM_PLAY_PROGRAM, GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::vector<char> head(4096);
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(file, head.data(), static_cast<DWORD>(head.size()), &got, nullptr));
    CloseHandle(file);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(head.data());
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    ASSERT_LT(static_cast<DWORD>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS64), got);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(head.data() + dos->e_lfanew);
    ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}
#endif

} // namespace
