// The Windows module carries the editor's twelve pictures, in the sets for
// 1x, 2x and 3x screens, as resources of type "PNG"; each is found through
// the module handle and decodes with libpng to its size.
#include <gtest/gtest.h>

#include <png.h>
#include <windows.h>

#include <string>

#ifndef TONELOOM_WIN_MODULE
#error "TONELOOM_WIN_MODULE must name the built module"
#endif

namespace {

struct Picture
{
    int id;
    int width;  // pixels
    int height; // pixels
};

constexpr Picture kPictures[] = {
    {100, 470, 455}, {101, 57, 57}, {102, 40, 40}, {103, 406, 58}, {104, 360, 40}, {105, 68, 23},
    {106, 79, 23},   {107, 86, 80}, {108, 90, 91}, {109, 48, 21},  {110, 80, 23},  {111, 175, 385},
};

class ModuleResources : public ::testing::Test
{
protected:
    void SetUp() override
    {
        module = LoadLibraryA(TONELOOM_WIN_MODULE);
        ASSERT_NE(module, nullptr) << "cannot load " << TONELOOM_WIN_MODULE;
    }
    void TearDown() override
    {
        if (module != nullptr) {
            FreeLibrary(module);
        }
    }
    // Finds resource `id` and decodes it, expecting width x height pixels.
    void CheckPicture(int id, int width, int height);
    HMODULE module = nullptr;
};

} // namespace

TEST_F(ModuleResources, EveryPictureIsFoundAndDecodesToItsSize)
{
    for (int zoom = 1; zoom <= 3; ++zoom) {
        for (const Picture& picture : kPictures) {
            CheckPicture(picture.id + 100 * (zoom - 1), picture.width * zoom,
                         picture.height * zoom);
        }
    }
}

void ModuleResources::CheckPicture(int id, int width, int height)
{
    SCOPED_TRACE("resource " + std::to_string(id));
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), "PNG");
    ASSERT_NE(found, nullptr);
    HGLOBAL loaded = LoadResource(module, found);
    ASSERT_NE(loaded, nullptr);
    const void* bytes = LockResource(loaded);
    const DWORD size = SizeofResource(module, found);
    ASSERT_NE(bytes, nullptr);
    ASSERT_GT(size, 8u);

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, bytes, size)) << image.message;
    EXPECT_EQ(static_cast<int>(image.width), width);
    EXPECT_EQ(static_cast<int>(image.height), height);
    image.format = PNG_FORMAT_BGRA;
    std::string pixels(PNG_IMAGE_SIZE(image), '\0');
    EXPECT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) << image.message;
    png_image_free(&image);
}

TEST_F(ModuleResources, TheEntryPointsAreExportedUndecorated)
{
    EXPECT_NE(GetProcAddress(module, "GetPluginFactory"), nullptr);
    EXPECT_NE(GetProcAddress(module, "InitDll"), nullptr);
    EXPECT_NE(GetProcAddress(module, "ExitDll"), nullptr);
}

TEST_F(ModuleResources, AMissingPictureIsNotFound)
{
    EXPECT_EQ(FindResourceA(module, MAKEINTRESOURCEA(112), "PNG"), nullptr);
}
