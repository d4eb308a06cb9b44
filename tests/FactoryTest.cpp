#include "BundleFixture.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstring>
#include <string>

using namespace Steinberg;

namespace {

std::string ascii16(const char16* s) {
    std::string out;
    for (; s && *s; ++s) out.push_back(static_cast<char>(*s));
    return out;
}

std::string hex(const TUID id) {
    static const char* digits = "0123456789ABCDEF";
    std::string s;
    for (int i = 0; i < 16; ++i) {
        const auto b = static_cast<unsigned char>(id[i]);
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

// The module opened as a Linux host opens it: dlopen, ModuleEntry with the handle, the factory.
struct Module {
    void* handle = nullptr;
    using Entry = bool (*)(void*);
    using Exit = bool (*)();
    using GetFactory = IPluginFactory* (*)();
    GetFactory getFactory = nullptr;

    Module() {
        handle = dlopen(BundleFixture::modulePath().c_str(), RTLD_NOW | RTLD_LOCAL);
        EXPECT_NE(handle, nullptr) << dlerror();
        if (!handle) return;
        auto entry = reinterpret_cast<Entry>(dlsym(handle, "ModuleEntry"));
        EXPECT_NE(entry, nullptr);
        if (entry) {
            EXPECT_TRUE(entry(handle));
        }
        getFactory = reinterpret_cast<GetFactory>(dlsym(handle, "GetPluginFactory"));
        EXPECT_NE(getFactory, nullptr);
    }
    ~Module() {
        if (!handle) return;
        if (auto exit = reinterpret_cast<Exit>(dlsym(handle, "ModuleExit"))) exit();
        dlclose(handle);
    }
};

constexpr const char* kProcessorCid = "95F0FC494EEA41ACB2981AC6A99D8971";
constexpr const char* kControllerCid = "76B96D9CEB1F45C092103079885D58EB";

} // namespace

TEST(PluginFactory, FactoryAndClassDescriptions) {
    Module module;
    ASSERT_NE(module.getFactory, nullptr);
    IPluginFactory* factory = module.getFactory();
    ASSERT_NE(factory, nullptr);

    PFactoryInfo info{};
    ASSERT_EQ(factory->getFactoryInfo(&info), kResultOk);
    EXPECT_STREQ(info.vendor, "Tarnwell");
    EXPECT_EQ(std::string(info.url).rfind("https://", 0), 0u) << info.url;
    EXPECT_EQ(std::string(info.email).rfind("mailto:", 0), 0u) << info.email;
    EXPECT_EQ(info.flags, PFactoryInfo::kUnicode);
    ASSERT_EQ(factory->countClasses(), 2);

    struct Expected {
        const char* cid;
        const char* category;
        const char* name;
        uint32 classFlags;
        const char* subCategories;
    };
    const Expected expected[] = {
        {kProcessorCid, "Audio Module Class", "Grundmoor Rumble Kick", 1, "Instrument"},
        {kControllerCid, "Component Controller Class", "Grundmoor Rumble KickController", 0, ""},
    };
    { // the extra interfaces hold references of their own until this block ends
        FUnknownPtr<IPluginFactory2> factory2(factory);
        FUnknownPtr<IPluginFactory3> factory3(factory);
        ASSERT_TRUE(factory2);
        ASSERT_TRUE(factory3);
        for (int32 i = 0; i < 2; ++i) {
            const Expected& e = expected[i];
            PClassInfo c1{};
            ASSERT_EQ(factory->getClassInfo(i, &c1), kResultOk);
            EXPECT_EQ(hex(c1.cid), e.cid);
            EXPECT_EQ(c1.cardinality, PClassInfo::kManyInstances);
            EXPECT_STREQ(c1.category, e.category);
            EXPECT_STREQ(c1.name, e.name);

            PClassInfo2 c2{};
            ASSERT_EQ(factory2->getClassInfo2(i, &c2), kResultOk);
            EXPECT_EQ(hex(c2.cid), e.cid);
            EXPECT_EQ(c2.cardinality, 2147483647);
            EXPECT_STREQ(c2.category, e.category);
            EXPECT_STREQ(c2.name, e.name);
            EXPECT_EQ(c2.classFlags, e.classFlags);
            EXPECT_STREQ(c2.subCategories, e.subCategories);
            EXPECT_STREQ(c2.vendor, "");
            EXPECT_STREQ(c2.version, "1.0.3");
            EXPECT_STREQ(c2.sdkVersion, "VST 3.8.0");

            PClassInfoW cw{};
            ASSERT_EQ(factory3->getClassInfoUnicode(i, &cw), kResultOk);
            EXPECT_EQ(hex(cw.cid), e.cid);
            EXPECT_EQ(ascii16(cw.name), e.name);
            EXPECT_EQ(ascii16(cw.version), "1.0.3");
            EXPECT_EQ(ascii16(cw.sdkVersion), "VST 3.8.0");
            EXPECT_STREQ(cw.subCategories, e.subCategories);
        }
    }
    EXPECT_EQ(factory->release(), 0u);
}

TEST(PluginFactory, CreatesBothClassesAndTheProcessorNamesItsController) {
    Module module;
    ASSERT_NE(module.getFactory, nullptr);
    IPluginFactory* factory = module.getFactory();
    ASSERT_NE(factory, nullptr);
    PClassInfo processorInfo{}, controllerInfo{};
    factory->getClassInfo(0, &processorInfo);
    factory->getClassInfo(1, &controllerInfo);

    void* obj = nullptr;
    ASSERT_EQ(factory->createInstance(processorInfo.cid, Vst::IComponent::iid, &obj), kResultOk);
    auto* component = static_cast<Vst::IComponent*>(obj);
    TUID controllerCid{};
    ASSERT_EQ(component->getControllerClassId(controllerCid), kResultOk);
    EXPECT_EQ(hex(controllerCid), kControllerCid);
    FUnknownPtr<Vst::IAudioProcessor> processor(component);
    EXPECT_TRUE(processor);

    obj = nullptr;
    ASSERT_EQ(factory->createInstance(controllerInfo.cid, Vst::IEditController::iid, &obj), kResultOk);
    auto* controller = static_cast<Vst::IEditController*>(obj);
    ASSERT_EQ(controller->initialize(nullptr), kResultOk);
    EXPECT_EQ(controller->getParameterCount(), 161);
    controller->terminate();
    controller->release();
    component->release();

    // An unknown class id gives nothing.
    TUID unknown{};
    obj = reinterpret_cast<void*>(1);
    EXPECT_NE(factory->createInstance(unknown, Vst::IComponent::iid, &obj), kResultOk);
    factory->release();
}

// Hosts may release the factory and ask again (rescans); the module builds a new one then.
TEST(PluginFactory, IsSharedWhileHeldAndRebuiltAfterTheLastRelease) {
    Module module;
    ASSERT_NE(module.getFactory, nullptr);
    IPluginFactory* first = module.getFactory();
    IPluginFactory* second = module.getFactory();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(second->release(), 1u);
    EXPECT_EQ(first->release(), 0u);
    IPluginFactory* rebuilt = module.getFactory();
    ASSERT_NE(rebuilt, nullptr);
    EXPECT_EQ(rebuilt->countClasses(), 2);
    PClassInfo info{};
    ASSERT_EQ(rebuilt->getClassInfo(0, &info), kResultOk);
    EXPECT_EQ(hex(info.cid), kProcessorCid);
    EXPECT_EQ(rebuilt->release(), 0u);
}
