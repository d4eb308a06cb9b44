#include "public.sdk/source/main/pluginfactory.h"

#include "base/source/fobject.h"
#include "pluginterfaces/base/ustring.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/vsttypes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace Steinberg;

namespace {

// A class that counts its live instances, to see that the factory leaves none behind.
class Probe : public FObject
{
public:
	Probe () { ++alive; }
	~Probe () override { --alive; }
	static FUnknown* create (void* context)
	{
		lastContext = context;
		return static_cast<FObject*> (new Probe);
	}
	static FUnknown* createNothing (void*) { return nullptr; }
	static inline int alive = 0;
	static inline void* lastContext = nullptr;
};

const FUID uidA (0x11111111, 0x22222222, 0x33333333, 0x44444444);
const FUID uidB (0xA1B2C3D4, 0x00000001, 0x80000000, 0xFFFFFFFF);
const FUID uidC (0x01020304, 0x05060708, 0x090A0B0C, 0x0D0E0F10);
const FUID uidD (0xDEADBEEF, 0, 0, 1);

std::string narrow (const char16* s)
{
	char8 buffer[256] {};
	UString (const_cast<char16*> (s), 256).toAscii (buffer, 256);
	return buffer;
}

// Registers one class in each of the three description forms.
IPtr<CPluginFactory> makeFactory ()
{
	PFactoryInfo info ("Grundmoor Test", "https://example.org", "mailto:test@example.org",
	                   PFactoryInfo::kUnicode);
	auto factory = owned (new CPluginFactory (info));

	TUID a, b, c;
	uidA.toTUID (a);
	uidB.toTUID (b);
	uidC.toTUID (c);
	PClassInfo2 info2 (a, PClassInfo::kManyInstances, kVstAudioEffectClass, "Alpha Kick",
	                   Vst::kDistributable, "Instrument", nullptr, "1.0.3", kVstVersionString);
	EXPECT_TRUE (factory->registerClass (&info2, Probe::create, reinterpret_cast<void*> (0x42)));
	PClassInfo info1 (b, 1, kVstComponentControllerClass, "Beta Controller");
	EXPECT_TRUE (factory->registerClass (&info1, Probe::create));
	PClassInfoW infoW (c, 3, "Service", STR16 ("Gamma \u00e4"), 0, "Fx|Delay", STR16 ("Vendor W"),
	                   STR16 ("2.5"), STR16 ("VST 3.7.2"));
	EXPECT_TRUE (factory->registerClass (&infoW, Probe::create));
	return factory;
}

struct Expected
{
	const FUID* cid;
	int32 cardinality;
	const char* category;
	const char* name; // UTF-8
	uint32 classFlags;
	const char* subCategories;
	const char* vendor;
	const char* version;
	const char* sdkVersion;
};

const Expected expectedClasses[] = {
    {&uidA, PClassInfo::kManyInstances, "Audio Module Class", "Alpha Kick", Vst::kDistributable,
     "Instrument", "", "1.0.3", kVstVersionString},
    {&uidB, 1, "Component Controller Class", "Beta Controller", 0, "", "", "", ""},
    {&uidC, 3, "Service", "Gamma \xc3\xa4", 0, "Fx|Delay", "Vendor W", "2.5", "VST 3.7.2"},
};

} // namespace

TEST (PluginFactory, FactoryInfoIsTheOneGiven)
{
	auto factory = makeFactory ();
	PFactoryInfo info;
	ASSERT_EQ (factory->getFactoryInfo (&info), kResultOk);
	EXPECT_STREQ (info.vendor, "Grundmoor Test");
	EXPECT_STREQ (info.url, "https://example.org");
	EXPECT_STREQ (info.email, "mailto:test@example.org");
	EXPECT_EQ (info.flags, PFactoryInfo::kUnicode);
	EXPECT_EQ (factory->getFactoryInfo (nullptr), kInvalidArgument);
}

TEST (PluginFactory, EnumeratesClassesInRegistrationOrder)
{
	auto factory = makeFactory ();
	ASSERT_EQ (factory->countClasses (), 3);
	for (int32 i = 0; i < 3; ++i)
	{
		const Expected& e = expectedClasses[i];
		SCOPED_TRACE (e.name);
		PClassInfo info;
		ASSERT_EQ (factory->getClassInfo (i, &info), kResultOk);
		EXPECT_EQ (FUID::fromTUID (info.cid), *e.cid);
		EXPECT_EQ (info.cardinality, e.cardinality);
		EXPECT_STREQ (info.category, e.category);
		EXPECT_STREQ (info.name, e.name);
	}
}

TEST (PluginFactory, ClassInfo2CarriesAllFieldsInUtf8)
{
	auto factory = makeFactory ();
	for (int32 i = 0; i < 3; ++i)
	{
		const Expected& e = expectedClasses[i];
		SCOPED_TRACE (e.name);
		PClassInfo2 info;
		ASSERT_EQ (factory->getClassInfo2 (i, &info), kResultOk);
		EXPECT_EQ (FUID::fromTUID (info.cid), *e.cid);
		EXPECT_EQ (info.cardinality, e.cardinality);
		EXPECT_STREQ (info.category, e.category);
		EXPECT_STREQ (info.name, e.name);
		EXPECT_EQ (info.classFlags, e.classFlags);
		EXPECT_STREQ (info.subCategories, e.subCategories);
		EXPECT_STREQ (info.vendor, e.vendor);
		EXPECT_STREQ (info.version, e.version);
		EXPECT_STREQ (info.sdkVersion, e.sdkVersion);
	}
}

TEST (PluginFactory, ClassInfoUnicodeCarriesAllFieldsInUtf16)
{
	auto factory = makeFactory ();
	for (int32 i = 0; i < 3; ++i)
	{
		const Expected& e = expectedClasses[i];
		SCOPED_TRACE (e.name);
		PClassInfoW info;
		ASSERT_EQ (factory->getClassInfoUnicode (i, &info), kResultOk);
		EXPECT_EQ (FUID::fromTUID (info.cid), *e.cid);
		EXPECT_EQ (info.cardinality, e.cardinality);
		EXPECT_STREQ (info.category, e.category);
		EXPECT_EQ (info.classFlags, e.classFlags);
		EXPECT_STREQ (info.subCategories, e.subCategories);
		EXPECT_EQ (narrow (info.vendor), e.vendor);
		EXPECT_EQ (narrow (info.version), e.version);
		EXPECT_EQ (narrow (info.sdkVersion), e.sdkVersion);
	}
	PClassInfoW info;
	ASSERT_EQ (factory->getClassInfoUnicode (2, &info), kResultOk);
	const char16 gamma[] = {'G', 'a', 'm', 'm', 'a', ' ', 0x00e4, 0};
	EXPECT_EQ (std::memcmp (info.name, gamma, sizeof (gamma)), 0);
	ASSERT_EQ (factory->getClassInfoUnicode (0, &info), kResultOk);
	EXPECT_EQ (narrow (info.name), "Alpha Kick");
}

TEST (PluginFactory, ClassInfoOutsideTheRangeIsRefused)
{
	auto factory = makeFactory ();
	for (int32 index : {-1, 3, 100})
	{
		SCOPED_TRACE (index);
		PClassInfo info1;
		PClassInfo2 info2;
		PClassInfoW infoW;
		EXPECT_NE (factory->getClassInfo (index, &info1), kResultOk);
		EXPECT_NE (factory->getClassInfo2 (index, &info2), kResultOk);
		EXPECT_NE (factory->getClassInfoUnicode (index, &infoW), kResultOk);
	}
	EXPECT_NE (factory->getClassInfo (0, nullptr), kResultOk);
	EXPECT_NE (factory->getClassInfo2 (0, nullptr), kResultOk);
	EXPECT_NE (factory->getClassInfoUnicode (0, nullptr), kResultOk);
}

TEST (PluginFactory, IsClassRegisteredAndRemoveAll)
{
	auto factory = makeFactory ();
	EXPECT_TRUE (factory->isClassRegistered (uidA));
	EXPECT_TRUE (factory->isClassRegistered (uidC));
	EXPECT_FALSE (factory->isClassRegistered (uidD));
	factory->removeAllClasses ();
	EXPECT_EQ (factory->countClasses (), 0);
	EXPECT_FALSE (factory->isClassRegistered (uidA));
}

TEST (PluginFactory, RegisteringWithoutDescriptionOrCreateFunctionFails)
{
	auto factory = makeFactory ();
	TUID d;
	uidD.toTUID (d);
	PClassInfo2 info (d, 1, "Service", "Delta", 0, "", nullptr, "1", "VST");
	EXPECT_FALSE (factory->registerClass (&info, nullptr));
	EXPECT_FALSE (factory->registerClass (static_cast<const PClassInfo2*> (nullptr), Probe::create));
	EXPECT_EQ (factory->countClasses (), 3);
}

TEST (PluginFactory, CreatesRegisteredClassesWithOneReferenceAndTheirContext)
{
	auto factory = makeFactory ();
	ASSERT_EQ (Probe::alive, 0);
	TUID a;
	uidA.toTUID (a);
	void* obj = nullptr;
	ASSERT_EQ (factory->createInstance (a, FUnknown::iid, &obj), kResultOk);
	ASSERT_NE (obj, nullptr);
	EXPECT_EQ (Probe::alive, 1);
	EXPECT_EQ (Probe::lastContext, reinterpret_cast<void*> (0x42));
	// One reference: releasing it destroys the object.
	EXPECT_EQ (static_cast<FUnknown*> (obj)->release (), 0u);
	EXPECT_EQ (Probe::alive, 0);
}

TEST (PluginFactory, UnknownClassesAndInterfacesFailCleanly)
{
	auto factory = makeFactory ();
	TUID a, d;
	uidA.toTUID (a);
	uidD.toTUID (d);
	struct Case
	{
		const char* what;
		const char8* cid;
		const char8* iid;
	};
	const Case cases[] = {
	    {"unknown class id", d, FUnknown::iid},
	    {"interface the class lacks", a, Vst::IAudioProcessor::iid},
	    {"null class id", nullptr, FUnknown::iid},
	    {"null interface id", a, nullptr},
	};
	for (const auto& c : cases)
	{
		SCOPED_TRACE (c.what);
		void* obj = reinterpret_cast<void*> (0x1);
		EXPECT_NE (factory->createInstance (c.cid, c.iid, &obj), kResultOk);
		EXPECT_EQ (obj, nullptr);
		EXPECT_EQ (Probe::alive, 0) << "no instance may be left behind";
	}
	EXPECT_NE (factory->createInstance (a, FUnknown::iid, nullptr), kResultOk);
	EXPECT_EQ (Probe::alive, 0);
}

TEST (PluginFactory, CreateFunctionReturningNothingFailsCleanly)
{
	auto factory = makeFactory ();
	TUID d;
	uidD.toTUID (d);
	PClassInfo info (d, 1, "Service", "Nothing");
	ASSERT_TRUE (factory->registerClass (&info, Probe::createNothing));
	void* obj = reinterpret_cast<void*> (0x1);
	EXPECT_NE (factory->createInstance (d, FUnknown::iid, &obj), kResultOk);
	EXPECT_EQ (obj, nullptr);
}

TEST (PluginFactory, AnswersAllThreeFactoryInterfaces)
{
	auto factory = makeFactory ();
	struct Case
	{
		const char* name;
		const FUID& iid;
	};
	const Case cases[] = {{"FUnknown", FUnknown::iid}, {"IPluginFactory", IPluginFactory::iid},
	                      {"IPluginFactory2", IPluginFactory2::iid}, {"IPluginFactory3", IPluginFactory3::iid}};
	for (const auto& c : cases)
	{
		SCOPED_TRACE (c.name);
		void* obj = nullptr;
		ASSERT_EQ (factory->queryInterface (c.iid, &obj), kResultOk);
		EXPECT_EQ (obj, static_cast<IPluginFactory3*> (factory.get ()));
		static_cast<FUnknown*> (obj)->release ();
	}
	void* obj = reinterpret_cast<void*> (0x1);
	EXPECT_NE (factory->queryInterface (Vst::IComponent::iid, &obj), kResultOk);
	EXPECT_EQ (obj, nullptr);
}

TEST (PluginFactory, KeepsTheHostContextReferenced)
{
	auto factory = makeFactory ();
	auto context = owned (new FObject);
	EXPECT_EQ (context->getRefCount (), 1u);
	EXPECT_EQ (factory->setHostContext (context), kResultOk);
	EXPECT_EQ (factory->getHostContext (), static_cast<FUnknown*> (context.get ()));
	EXPECT_EQ (context->getRefCount (), 2u);
	EXPECT_EQ (factory->setHostContext (nullptr), kResultOk);
	EXPECT_EQ (context->getRefCount (), 1u);
	EXPECT_EQ (factory->getHostContext (), nullptr);
}

TEST (PluginFactory, ClearsTheProcessWidePointerWhenTheLastReferenceGoes)
{
	ASSERT_EQ (gPluginFactory, nullptr);
	PFactoryInfo info ("V", "U", "E", 0);
	auto* factory = new CPluginFactory (info);
	gPluginFactory = factory;
	factory->addRef ();
	EXPECT_EQ (factory->release (), 1u);
	EXPECT_EQ (gPluginFactory, factory);
	EXPECT_EQ (factory->release (), 0u);
	EXPECT_EQ (gPluginFactory, nullptr);
}

TEST (PluginFactory, ReleasingAnotherFactoryLeavesTheProcessWidePointer)
{
	PFactoryInfo info ("V", "U", "E", 0);
	auto* kept = new CPluginFactory (info);
	gPluginFactory = kept;
	auto* other = new CPluginFactory (info);
	other->release ();
	EXPECT_EQ (gPluginFactory, kept);
	kept->release ();
	EXPECT_EQ (gPluginFactory, nullptr);
}
