// The module's entry points and its class factory, through the loaded
// product bundle.
#include "ModuleHost.h"
#include "Vst3Ids.h"

#include "HostText.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace toneloom::testing {
namespace {

using namespace Steinberg;

class FactoryTest : public ::testing::Test
{
protected:
    IPluginFactory* Factory() { return LoadedModule(ToneloomBundle()).Factory(); }
};

TEST_F(FactoryTest, GetPluginFactoryReturnsTheCachedFactoryWithOneMoreReference)
{
    auto getFactory =
        reinterpret_cast<GetFactoryProc>(LoadedModule(ToneloomBundle()).Symbol("GetPluginFactory"));
    ASSERT_NE(getFactory, nullptr);
    IPluginFactory* first = getFactory();
    IPluginFactory* second = getFactory();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first, Factory());
    // The module host holds one reference, these two calls two more.
    EXPECT_EQ(first->addRef(), 4u);
    EXPECT_EQ(first->release(), 3u);
    EXPECT_EQ(second->release(), 2u);
    EXPECT_EQ(first->release(), 1u);
}

TEST_F(FactoryTest, ExportsThePlatformsModuleEntryPoints)
{
    const host::HostModule& module = LoadedModule(ToneloomBundle());
#ifdef _WIN32
    EXPECT_NE(module.Symbol("InitDll"), nullptr);
    EXPECT_NE(module.Symbol("ExitDll"), nullptr);
    EXPECT_EQ(module.Symbol("ModuleEntry"), nullptr);
#else
    EXPECT_NE(module.Symbol("ModuleEntry"), nullptr);
    EXPECT_NE(module.Symbol("ModuleExit"), nullptr);
    EXPECT_EQ(module.Symbol("InitDll"), nullptr);
#endif
    EXPECT_NE(module.Symbol("GetPluginFactory"), nullptr);
    // Everything else stays inside the module.
    EXPECT_EQ(module.Symbol("_ZN8toneloom17NewEffectInstanceEv"), nullptr);
}

TEST_F(FactoryTest, FactoryInformationNamesTheVendorAndServesUnicode)
{
    PFactoryInfo info;
    ASSERT_EQ(Factory()->getFactoryInfo(&info), kResultOk);
    EXPECT_STREQ(info.vendor, "Orvanta");
    EXPECT_STREQ(info.email, "");
    EXPECT_EQ(info.flags, PFactoryInfo::kUnicode);
    EXPECT_EQ(info.flags, 16);
}

TEST_F(FactoryTest, OffersExactlyOneAudioEffectClassWithTheFixedClassId)
{
    ASSERT_EQ(Factory()->countClasses(), 1);
    PClassInfo info;
    ASSERT_EQ(Factory()->getClassInfo(0, &info), kResultOk);
    const uint8_t expected[16] = {0x0D, 0xE7, 0xAE, 0xF2, 0xDE, 0x00, 0x4E, 0x4F,
                                  0x4F, 0x76, 0x4E, 0x74, 0x64, 0x65, 0x76, 0x6A};
    EXPECT_EQ(std::memcmp(info.cid, expected, sizeof expected), 0);
    EXPECT_EQ(std::memcmp(info.cid, kToneloomClassIdBytes.data(), 16), 0);
    EXPECT_STREQ(info.category, "Audio Module Class");
    EXPECT_STREQ(info.name, "Toneloom");
    EXPECT_EQ(info.cardinality, 0x7FFFFFFF);
    EXPECT_EQ(Factory()->getClassInfo(1, &info), kInvalidArgument);
}

TEST_F(FactoryTest, ClassInfo2CarriesFlagsSubCategoryAndVersions)
{
    FUnknownPtr<IPluginFactory2> factory2(Factory());
    ASSERT_TRUE(factory2);
    PClassInfo2 info;
    ASSERT_EQ(factory2->getClassInfo2(0, &info), kResultOk);
    EXPECT_EQ(std::memcmp(info.cid, kToneloomClassIdBytes.data(), 16), 0);
    EXPECT_STREQ(info.category, "Audio Module Class");
    EXPECT_STREQ(info.name, "Toneloom");
    EXPECT_EQ(info.classFlags, 2u);
    EXPECT_STREQ(info.subCategories, "Fx");
    EXPECT_STREQ(info.vendor, "");
    EXPECT_STREQ(info.version, "1.1.0");
    EXPECT_STREQ(info.sdkVersion, "VST 3.6.5");
    EXPECT_EQ(factory2->getClassInfo2(-1, &info), kInvalidArgument);
}

TEST_F(FactoryTest, UnicodeClassInfoMatchesClassInfo2)
{
    FUnknownPtr<IPluginFactory3> factory3(Factory());
    ASSERT_TRUE(factory3);
    PClassInfoW info;
    ASSERT_EQ(factory3->getClassInfoUnicode(0, &info), kResultOk);
    EXPECT_EQ(std::memcmp(info.cid, kToneloomClassIdBytes.data(), 16), 0);
    EXPECT_STREQ(info.category, "Audio Module Class");
    EXPECT_EQ(Utf16ToUtf8(info.name, PClassInfo::kNameSize), "Toneloom");
    EXPECT_EQ(info.classFlags, 2u);
    EXPECT_STREQ(info.subCategories, "Fx");
    EXPECT_EQ(Utf16ToUtf8(info.vendor, PClassInfoW::kVendorSize), "");
    EXPECT_EQ(Utf16ToUtf8(info.version, PClassInfoW::kVersionSize), "1.1.0");
    EXPECT_EQ(Utf16ToUtf8(info.sdkVersion, PClassInfoW::kVersionSize), "VST 3.6.5");
    EXPECT_EQ(factory3->getClassInfoUnicode(1, &info), kInvalidArgument);
}

TEST_F(FactoryTest, CreatesIndependentInstancesAndRefusesUnknownClasses)
{
    TUID classId;
    std::memcpy(classId, kToneloomClassIdBytes.data(), sizeof classId);
    void* first = nullptr;
    void* second = nullptr;
    ASSERT_EQ(Factory()->createInstance(classId, Vst::IAudioProcessor::iid, &first), kResultOk);
    ASSERT_EQ(Factory()->createInstance(classId, Vst::IComponent::iid, &second), kResultOk);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    FUnknownPtr<Vst::IComponent> firstComponent(static_cast<Vst::IAudioProcessor*>(first));
    EXPECT_NE(static_cast<void*>(firstComponent.getInterface()), second);
    // One reference each, owned by the caller.
    EXPECT_EQ(static_cast<Vst::IAudioProcessor*>(first)->release(), 1u); // firstComponent's
    static_cast<Vst::IComponent*>(second)->release();

    TUID unknown = {};
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(Factory()->createInstance(unknown, Vst::IComponent::iid, &none), kNoInterface);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(Factory()->createInstance(classId, IPluginFactory::iid, &none), kNoInterface);
    EXPECT_EQ(none, nullptr);
}

} // namespace
} // namespace toneloom::testing
