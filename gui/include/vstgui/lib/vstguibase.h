// Basic types and reference counting of the view library.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>

namespace VSTGUI {

using CCoord = double;
using UTF8StringPtr = const char*;
using int32 = int32_t;
using uint32 = uint32_t;
using uint8 = uint8_t;
using int16 = int16_t;

// Intrusive reference count: objects start with one reference owned by their creator.
class CBaseObject
{
public:
	CBaseObject () = default;
	// A copy is a new object with its own single reference.
	CBaseObject (const CBaseObject&) : refCount (1) {}
	CBaseObject& operator= (const CBaseObject&) { return *this; }
	virtual ~CBaseObject () noexcept = default;

	void remember () { refCount.fetch_add (1, std::memory_order_relaxed); }
	void forget ()
	{
		if (refCount.fetch_sub (1, std::memory_order_acq_rel) == 1)
			delete this;
	}
	int32_t getNbReference () const { return refCount.load (std::memory_order_relaxed); }

private:
	std::atomic<int32_t> refCount {1};
};

template <typename T>
using ReferenceCounted = T;

// Text parameter type: takes C strings (null is empty) and std::strings alike.
class UTF8String
{
public:
	UTF8String (const char* s = nullptr) : str (s ? s : "") {}
	UTF8String (const std::string& s) : str (s) {}
	UTF8String (std::string&& s) : str (std::move (s)) {}
	const char* data () const { return str.c_str (); }
	const std::string& getString () const { return str; }
	operator const std::string& () const { return str; }
	size_t length () const { return str.length (); }
	bool empty () const { return str.empty (); }
	bool operator== (const UTF8String& o) const { return str == o.str; }
	bool operator!= (const UTF8String& o) const { return str != o.str; }

private:
	std::string str;
};

// Smart pointer over CBaseObject; construction from a raw pointer takes an extra reference
// unless told otherwise (use owned() / makeOwned() for fresh objects).
template <typename I>
class SharedPointer
{
public:
	SharedPointer () noexcept = default;
	SharedPointer (std::nullptr_t) noexcept {}
	SharedPointer (I* p, bool doRemember = true) noexcept : ptr (p)
	{
		if (ptr && doRemember)
			ptr->remember ();
	}
	SharedPointer (const SharedPointer& o) noexcept : ptr (o.ptr)
	{
		if (ptr)
			ptr->remember ();
	}
	template <typename T>
	SharedPointer (const SharedPointer<T>& o) noexcept : ptr (o.get ())
	{
		if (ptr)
			ptr->remember ();
	}
	SharedPointer (SharedPointer&& o) noexcept : ptr (std::exchange (o.ptr, nullptr)) {}
	~SharedPointer () noexcept
	{
		if (ptr)
			ptr->forget ();
	}
	SharedPointer& operator= (I* p) noexcept
	{
		if (p != ptr)
		{
			if (p)
				p->remember ();
			auto old = std::exchange (ptr, p);
			if (old)
				old->forget ();
		}
		return *this;
	}
	SharedPointer& operator= (const SharedPointer& o) noexcept { return *this = o.ptr; }
	SharedPointer& operator= (SharedPointer&& o) noexcept
	{
		if (this != &o)
		{
			auto old = std::exchange (ptr, std::exchange (o.ptr, nullptr));
			if (old)
				old->forget ();
		}
		return *this;
	}
	SharedPointer& operator= (std::nullptr_t) noexcept
	{
		if (auto old = std::exchange (ptr, nullptr))
			old->forget ();
		return *this;
	}

	I* get () const noexcept { return ptr; }
	I* operator-> () const noexcept { return ptr; }
	I& operator* () const noexcept { return *ptr; }
	operator I* () const noexcept { return ptr; }
	explicit operator bool () const noexcept { return ptr != nullptr; }

	template <typename T>
	T* cast () const
	{
		return dynamic_cast<T*> (ptr);
	}

private:
	I* ptr {nullptr};
};

// Adopts the creator's reference of a freshly made object.
template <typename I>
inline SharedPointer<I> owned (I* p) noexcept
{
	return SharedPointer<I> (p, false);
}

template <typename I>
inline SharedPointer<I> shared (I* p) noexcept
{
	return SharedPointer<I> (p, true);
}

template <typename I, typename... Args>
inline SharedPointer<I> makeOwned (Args&&... args)
{
	return SharedPointer<I> (new I (std::forward<Args> (args)...), false);
}

} // namespace VSTGUI

// Gives a view class its copy operation (newCopy) the way the library's own classes have it.
#define CLASS_METHODS(name, parent) \
	VSTGUI::CView* newCopy () const override { return new name (*this); }
#define CLASS_METHODS_NOCOPY(name, parent) \
	VSTGUI::CView* newCopy () const override { return nullptr; }
