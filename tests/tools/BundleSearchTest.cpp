// Where toneloom-render looks for the bundle without --plugin: the order of
// the places, the first one that exists winning, and the message when none
// does.
#include "BundleSearch.h"
#include "SystemCalls.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <direct.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using toneloom::BundleCandidates;
using toneloom::BundlePlaces;
using toneloom::FindBundle;

using Paths = std::vector<std::string>;

#if defined(_WIN32)
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

void MakeFolder(const std::string& path)
{
#if defined(_WIN32)
    _mkdir(path.c_str());
#else
    mkdir(path.c_str(), 0777);
#endif
}

// A folder path and every folder above it.
void MakeFolders(const std::string& path)
{
    for (size_t at = path.find(kSeparator, 1); at != std::string::npos;
         at = path.find(kSeparator, at + 1)) {
        MakeFolder(path.substr(0, at));
    }
    MakeFolder(path);
}

class BundleSearch : public ::testing::Test
{
protected:
    void SetUp() override
    {
#if defined(_WIN32)
        char base[MAX_PATH];
        ASSERT_GT(GetTempPathA(sizeof base, base), 0u);
        root =
            std::string(base) + "toneloom-bundle-search-" + std::to_string(toneloom::ProcessId());
        MakeFolder(root);
#else
        char pattern[] = "/tmp/toneloom-bundle-search-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
#endif
    }
    void TearDown() override
    {
#if defined(_WIN32)
        const std::string remove = "rmdir /s /q \"" + root + "\" > nul 2>&1";
#else
        const std::string remove = "rm -rf '" + root + "'";
#endif
        [[maybe_unused]] const int removed = std::system(remove.c_str());
    }

    std::string In(const std::string& relative) const
    {
        std::string path = root + kSeparator + relative;
        for (char& c : path) {
            c = c == '/' ? kSeparator : c;
        }
        return path;
    }

    std::string root;
};

#if defined(_WIN32)

TEST(BundleCandidates, BesideTheProgramThenCommonFilesVst3)
{
    BundlePlaces places;
    places.programFolder = "C:\\Program Files\\Toneloom";
    places.commonFilesFolder = "C:\\Program Files\\Common Files\\";
    EXPECT_EQ(BundleCandidates(places),
              (Paths{"C:\\Program Files\\Toneloom\\Toneloom.vst3",
                     "C:\\Program Files\\Common Files\\VST3\\Toneloom.vst3"}));
    places.programFolder.clear();
    places.commonFilesFolder.clear();
    EXPECT_EQ(BundleCandidates(places), Paths{});
}

TEST(BundleCandidates, ThisSystemNamesTheCommonFilesFolder)
{
    const BundlePlaces places = toneloom::ThisSystemsBundlePlaces();
    EXPECT_NE(places.programFolder, "");
    ASSERT_GT(places.commonFilesFolder.size(), 13u) << places.commonFilesFolder;
    EXPECT_EQ(places.commonFilesFolder.substr(places.commonFilesFolder.size() - 13),
              "\\Common Files")
        << places.commonFilesFolder;
    EXPECT_EQ(places.commonFilesFolder.find("(x86)"), std::string::npos)
        << places.commonFilesFolder;
}

#else

TEST(BundleCandidates, BesideTheProgramThenThePackageLayoutThenWhereHostsLook)
{
    BundlePlaces places;
    places.programFolder = "/opt/toneloom/bin";
    places.homeFolder = "/home/ana";
    EXPECT_EQ(BundleCandidates(places),
              (Paths{"/opt/toneloom/bin/Toneloom.vst3", "/opt/toneloom/lib/vst3/Toneloom.vst3",
                     "/home/ana/.vst3/Toneloom.vst3", "/usr/lib/vst3/Toneloom.vst3",
                     "/usr/local/lib/vst3/Toneloom.vst3"}));
}

TEST(BundleCandidates, NamesEachPlaceOnceAndSkipsUnknownFolders)
{
    BundlePlaces places;
    places.programFolder = "/usr/bin/"; // the package's renderer
    EXPECT_EQ(BundleCandidates(places),
              (Paths{"/usr/bin/Toneloom.vst3", "/usr/lib/vst3/Toneloom.vst3",
                     "/usr/local/lib/vst3/Toneloom.vst3"}));
    places.programFolder = "/";
    places.homeFolder = "/";
    EXPECT_EQ(BundleCandidates(places),
              (Paths{"/Toneloom.vst3", "/lib/vst3/Toneloom.vst3", "/.vst3/Toneloom.vst3",
                     "/usr/lib/vst3/Toneloom.vst3", "/usr/local/lib/vst3/Toneloom.vst3"}));
    EXPECT_EQ(BundleCandidates(BundlePlaces{}),
              (Paths{"/usr/lib/vst3/Toneloom.vst3", "/usr/local/lib/vst3/Toneloom.vst3"}));
}

TEST(BundleCandidates, ThisSystemGivesTheProgramsFolderAndHome)
{
    const BundlePlaces places = toneloom::ThisSystemsBundlePlaces();
    const std::string self = toneloom::ExecutablePath();
    EXPECT_EQ(places.programFolder, self.substr(0, self.rfind('/')));
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        EXPECT_EQ(places.homeFolder, home);
    }
    EXPECT_EQ(places.commonFilesFolder, "");
}

// An unpacked package: <root>/usr/bin/toneloom-render finds
// <root>/usr/lib/vst3/Toneloom.vst3, and a bundle beside it comes first.
TEST_F(BundleSearch, TheUnpackedPackageFindsItsOwnBundle)
{
    BundlePlaces places;
    places.programFolder = In("usr/bin");
    places.homeFolder = In("home");
    MakeFolders(In("usr/bin"));
    MakeFolders(In("usr/lib/vst3/Toneloom.vst3"));
    MakeFolders(In("home/.vst3/Toneloom.vst3"));
    std::string error;
    EXPECT_EQ(FindBundle(BundleCandidates(places), &error), In("usr/lib/vst3/Toneloom.vst3"));
    MakeFolders(In("usr/bin/Toneloom.vst3"));
    EXPECT_EQ(FindBundle(BundleCandidates(places), &error), In("usr/bin/Toneloom.vst3"));
    EXPECT_EQ(error, "");
}

#endif

TEST_F(BundleSearch, TheFirstThatExistsWinsWhetherFolderOrFile)
{
    const Paths candidates{In("a/Toneloom.vst3"), In("b/Toneloom.vst3"), In("c/Toneloom.vst3")};
    MakeFolders(In("c/Toneloom.vst3"));
    MakeFolders(In("b"));
    // A single-file module, as Windows hosts also take.
    if (FILE* file = std::fopen(candidates[1].c_str(), "wb")) {
        std::fclose(file);
    }
    std::string error;
    EXPECT_EQ(FindBundle(candidates, &error), candidates[1]);
    std::remove(candidates[1].c_str());
    EXPECT_EQ(FindBundle(candidates, &error), candidates[2]);
    EXPECT_EQ(error, "");
}

TEST_F(BundleSearch, NoneFoundSaysWhereItLookedOnOneLine)
{
    const Paths candidates{In("a/Toneloom.vst3"), In("b/Toneloom.vst3"), In("c/Toneloom.vst3")};
    std::string error;
    EXPECT_EQ(FindBundle(candidates, &error), "");
    EXPECT_EQ(error, "no Toneloom.vst3 at " + candidates[0] + ", " + candidates[1] + " or " +
                         candidates[2] + ": name the bundle with --plugin PATH");
    EXPECT_EQ(FindBundle({candidates[0]}, &error), "");
    EXPECT_EQ(error,
              "no Toneloom.vst3 at " + candidates[0] + ": name the bundle with --plugin PATH");
    EXPECT_EQ(FindBundle({}, &error), "");
    EXPECT_EQ(error, "no place to look for Toneloom.vst3: name the bundle with --plugin PATH");
}

} // namespace
