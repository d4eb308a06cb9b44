#include "public.sdk/source/main/pluginfactory.h"

#include "base/source/fstring.h"
#include "pluginterfaces/base/fstrdefs.h"

#include <cstring>

namespace Steinberg {

IPluginFactory* gPluginFactory = nullptr;

namespace {

// UTF-8 <-> UTF-16 for the class descriptions; the destination is always terminated.
void utf8ToUtf16 (char16* dst, const char8* src, int32 capacity)
{
	std::memset (dst, 0, sizeof (char16) * static_cast<size_t> (capacity));
	if (!src || !*src)
		return;
	String str (src);
	str.toWideString (kCP_Utf8);
	if (const char16* wide = str.text16 ())
		strncpy16 (dst, wide, capacity);
	dst[capacity - 1] = 0;
}

void utf16ToUtf8 (char8* dst, const char16* src, int32 capacity)
{
	std::memset (dst, 0, static_cast<size_t> (capacity));
	if (!src || !*src)
		return;
	String str (src);
	str.toMultiByte (kCP_Utf8);
	if (const char8* narrow = str.text8 ())
		strncpy8 (dst, narrow, capacity);
	dst[capacity - 1] = 0;
}

void toInfo16 (PClassInfoW& w, const PClassInfo2& a)
{
	w = PClassInfoW ();
	std::memcpy (w.cid, a.cid, sizeof (TUID));
	w.cardinality = a.cardinality;
	strncpy8 (w.category, a.category, PClassInfo::kCategorySize);
	utf8ToUtf16 (w.name, a.name, PClassInfo::kNameSize);
	w.classFlags = a.classFlags;
	strncpy8 (w.subCategories, a.subCategories, PClassInfoW::kSubCategoriesSize);
	utf8ToUtf16 (w.vendor, a.vendor, PClassInfoW::kVendorSize);
	utf8ToUtf16 (w.version, a.version, PClassInfoW::kVersionSize);
	utf8ToUtf16 (w.sdkVersion, a.sdkVersion, PClassInfoW::kVersionSize);
}

void toInfo8 (PClassInfo2& a, const PClassInfoW& w)
{
	a = PClassInfo2 ();
	std::memcpy (a.cid, w.cid, sizeof (TUID));
	a.cardinality = w.cardinality;
	strncpy8 (a.category, w.category, PClassInfo::kCategorySize);
	utf16ToUtf8 (a.name, w.name, PClassInfo::kNameSize);
	a.classFlags = w.classFlags;
	strncpy8 (a.subCategories, w.subCategories, PClassInfo2::kSubCategoriesSize);
	utf16ToUtf8 (a.vendor, w.vendor, PClassInfo2::kVendorSize);
	utf16ToUtf8 (a.version, w.version, PClassInfo2::kVersionSize);
	utf16ToUtf8 (a.sdkVersion, w.sdkVersion, PClassInfo2::kVersionSize);
}

} // namespace

CPluginFactory::CPluginFactory (const PFactoryInfo& info) : factoryInfo (info) {}

CPluginFactory::~CPluginFactory ()
{
	if (gPluginFactory == this)
		gPluginFactory = nullptr;
	if (hostContext)
		hostContext->release ();
}

tresult PLUGIN_API CPluginFactory::queryInterface (const TUID _iid, void** obj)
{
	if (!obj)
		return kInvalidArgument;
	QUERY_INTERFACE (_iid, obj, FUnknown::iid, IPluginFactory)
	QUERY_INTERFACE (_iid, obj, IPluginFactory::iid, IPluginFactory)
	QUERY_INTERFACE (_iid, obj, IPluginFactory2::iid, IPluginFactory2)
	QUERY_INTERFACE (_iid, obj, IPluginFactory3::iid, IPluginFactory3)
	*obj = nullptr;
	return kNoInterface;
}

uint32 PLUGIN_API CPluginFactory::addRef ()
{
	return static_cast<uint32> (++refCount);
}

std::recursive_mutex& pluginFactoryMutex ()
{
	static std::recursive_mutex mutex;
	return mutex;
}

uint32 PLUGIN_API CPluginFactory::release ()
{
	std::unique_lock<std::recursive_mutex> lock (pluginFactoryMutex ());
	const int32 remaining = --refCount;
	if (remaining == 0)
	{
		if (gPluginFactory == this)
			gPluginFactory = nullptr;
		lock.unlock ();
		delete this;
		return 0;
	}
	return static_cast<uint32> (remaining);
}

bool CPluginFactory::registerClass (const PClassInfo* info, CreateFunction createFunc, void* context)
{
	if (!info || !createFunc)
		return false;
	PClassInfo2 info2;
	std::memcpy (info2.cid, info->cid, sizeof (TUID));
	info2.cardinality = info->cardinality;
	strncpy8 (info2.category, info->category, PClassInfo::kCategorySize);
	strncpy8 (info2.name, info->name, PClassInfo::kNameSize);
	return registerClass (&info2, createFunc, context);
}

bool CPluginFactory::registerClass (const PClassInfo2* info, CreateFunction createFunc, void* context)
{
	if (!info || !createFunc)
		return false;
	ClassEntry entry;
	entry.info8 = *info;
	toInfo16 (entry.info16, *info);
	entry.createFunc = createFunc;
	entry.context = context;
	classes.push_back (entry);
	return true;
}

bool CPluginFactory::registerClass (const PClassInfoW* info, CreateFunction createFunc, void* context)
{
	if (!info || !createFunc)
		return false;
	ClassEntry entry;
	entry.info16 = *info;
	toInfo8 (entry.info8, *info);
	entry.createFunc = createFunc;
	entry.context = context;
	classes.push_back (entry);
	return true;
}

bool CPluginFactory::isClassRegistered (const FUID& cid) const
{
	for (const auto& entry : classes)
		if (FUID::fromTUID (entry.info8.cid) == cid)
			return true;
	return false;
}

void CPluginFactory::removeAllClasses ()
{
	classes.clear ();
}

const CPluginFactory::ClassEntry* CPluginFactory::entryAt (int32 index) const
{
	if (index < 0 || index >= static_cast<int32> (classes.size ()))
		return nullptr;
	return &classes[static_cast<size_t> (index)];
}

const CPluginFactory::ClassEntry* CPluginFactory::entryFor (FIDString cid) const
{
	if (!cid)
		return nullptr;
	for (const auto& entry : classes)
		if (std::memcmp (entry.info8.cid, cid, sizeof (TUID)) == 0)
			return &entry;
	return nullptr;
}

tresult PLUGIN_API CPluginFactory::getFactoryInfo (PFactoryInfo* info)
{
	if (!info)
		return kInvalidArgument;
	*info = factoryInfo;
	return kResultOk;
}

int32 PLUGIN_API CPluginFactory::countClasses ()
{
	return static_cast<int32> (classes.size ());
}

tresult PLUGIN_API CPluginFactory::getClassInfo (int32 index, PClassInfo* info)
{
	if (!info)
		return kInvalidArgument;
	const ClassEntry* entry = entryAt (index);
	if (!entry)
		return kInvalidArgument;
	*info = PClassInfo ();
	std::memcpy (info->cid, entry->info8.cid, sizeof (TUID));
	info->cardinality = entry->info8.cardinality;
	strncpy8 (info->category, entry->info8.category, PClassInfo::kCategorySize);
	strncpy8 (info->name, entry->info8.name, PClassInfo::kNameSize);
	return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfo2 (int32 index, PClassInfo2* info)
{
	if (!info)
		return kInvalidArgument;
	const ClassEntry* entry = entryAt (index);
	if (!entry)
		return kInvalidArgument;
	*info = entry->info8;
	return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfoUnicode (int32 index, PClassInfoW* info)
{
	if (!info)
		return kInvalidArgument;
	const ClassEntry* entry = entryAt (index);
	if (!entry)
		return kInvalidArgument;
	*info = entry->info16;
	return kResultOk;
}

tresult PLUGIN_API CPluginFactory::createInstance (FIDString cid, FIDString _iid, void** obj)
{
	if (!obj)
		return kInvalidArgument;
	*obj = nullptr;
	if (!cid || !_iid)
		return kInvalidArgument;
	const ClassEntry* entry = entryFor (cid);
	if (!entry)
		return kNoInterface;

	FUnknown* instance = entry->createFunc (entry->context);
	if (!instance)
		return kOutOfMemory;
	// The create function's reference is handed over only through the asked interface.
	const tresult result = instance->queryInterface (_iid, obj);
	instance->release ();
	if (result != kResultOk)
	{
		*obj = nullptr;
		return kNoInterface;
	}
	return kResultOk;
}

tresult PLUGIN_API CPluginFactory::setHostContext (FUnknown* context)
{
	if (context)
		context->addRef ();
	if (hostContext)
		hostContext->release ();
	hostContext = context;
	return kResultOk;
}

} // namespace Steinberg
