// toneloom-play's own pictures: a program that links the player's table finds
// the strip's pictures by id, in all three sets and beside the editor's,
// while the plug-in module carries none of them.
#include "PX_Png.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

using namespace toneloom;

namespace {

using Bytes = std::vector<char>;

Bytes ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Whether `haystack` holds the 64 bytes from the middle of `picture`: a piece
// of its compressed pixels, which no other file has by chance.
bool Contains(const Bytes& haystack, const Bytes& picture)
{
    constexpr size_t kPiece = 64;
    const auto piece = picture.begin() + static_cast<long>(picture.size() / 2);
    return std::search(haystack.begin(), haystack.end(), piece, piece + kPiece) != haystack.end();
}

TEST(PlayerPictures, FoundByIdBesideTheEditorsPictures)
{
    struct Expected
    {
        int id, width, height;
    };
    // The strip and the play button's two frames, then the editor's
    // background, still found through the editor's table.
    const Expected pictures[] = {
        {120, 470, 62}, {121, 44, 88}, {220, 940, 124}, {221, 88, 176},
        {320, 1410, 186}, {321, 132, 264}, {100, 470, 455},
    };
    for (const Expected& picture : pictures) {
        std::unique_ptr<PX_IBitmap> bitmap(LoadPngResource(nullptr, picture.id, nullptr));
        ASSERT_NE(bitmap, nullptr) << picture.id;
        EXPECT_EQ(bitmap->Width(), picture.width) << picture.id;
        EXPECT_EQ(bitmap->Height(), picture.height) << picture.id;
    }
    EXPECT_EQ(LoadPngResource(nullptr, 122, nullptr), nullptr);
}

TEST(PlayerPictures, ThePluginModuleCarriesNone)
{
    const Bytes module = ReadFile(TONELOOM_MODULE_PATH);
    ASSERT_GT(module.size(), 100000u);
    // The check finds what is there: the editor's pictures are in it.
    const Bytes background = ReadFile(TONELOOM_IMG_DIR "/bg.png");
    ASSERT_GT(background.size(), 1000u);
    EXPECT_TRUE(Contains(module, background));
    for (const char* name : {"strip.png", "strip_play.png", "2x/strip.png", "2x/strip_play.png",
                             "3x/strip.png", "3x/strip_play.png"}) {
        const Bytes picture = ReadFile(std::string(TONELOOM_IMG_DIR "/") + name);
        ASSERT_GT(picture.size(), 128u) << name;
        EXPECT_FALSE(Contains(module, picture)) << name;
    }
}

} // namespace
