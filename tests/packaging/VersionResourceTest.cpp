// The version resources of the Windows module (both forms) and programs carry
// the project version, in the fixed numbers and in the texts Explorer shows.
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
#if defined(TONELOOM_SNAPSHOT_PROGRAM)
    {"Snapshot", L"" TONELOOM_SNAPSHOT_PROGRAM, VFT_APP, L"toneloom-snapshot.exe"},
#endif
};

INSTANTIATE_TEST_SUITE_P(Files, VersionResourceTest, ::testing::ValuesIn(kFiles),
                         [](const ::testing::TestParamInfo<VersionedFile>& param) {
                             return std::string(param.param.name);
                         });

} // namespace
