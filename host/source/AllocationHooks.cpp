// Replaces the global allocation functions of the executable this is linked into so the
// AllocationCounter sees every operator new, including those of a loaded plug-in module (the
// executable exports these, and a module's references bind to the executable's definitions).
#include "grundmoor/testhost/AllocationCounter.h"

#include <cstdlib>
#include <new>

using grundmoor::testhost::AllocationCounter;

namespace {

struct MarkInstalled
{
	MarkInstalled () { AllocationCounter::markHooksInstalled (); }
} markInstalled;

void* allocate (std::size_t size)
{
	AllocationCounter::noteAllocation (size);
	if (void* p = std::malloc (size ? size : 1))
		return p;
	throw std::bad_alloc ();
}

void* allocateAligned (std::size_t size, std::align_val_t alignment)
{
	AllocationCounter::noteAllocation (size);
	const auto align = static_cast<std::size_t> (alignment);
	void* p = nullptr;
	if (posix_memalign (&p, align < sizeof (void*) ? sizeof (void*) : align, size ? size : 1) == 0)
		return p;
	throw std::bad_alloc ();
}

} // namespace

void* operator new (std::size_t size) { return allocate (size); }
void* operator new[] (std::size_t size) { return allocate (size); }
void* operator new (std::size_t size, const std::nothrow_t&) noexcept
{
	try { return allocate (size); } catch (...) { return nullptr; }
}
void* operator new[] (std::size_t size, const std::nothrow_t&) noexcept
{
	try { return allocate (size); } catch (...) { return nullptr; }
}
void* operator new (std::size_t size, std::align_val_t al) { return allocateAligned (size, al); }
void* operator new[] (std::size_t size, std::align_val_t al) { return allocateAligned (size, al); }
void* operator new (std::size_t size, std::align_val_t al, const std::nothrow_t&) noexcept
{
	try { return allocateAligned (size, al); } catch (...) { return nullptr; }
}
void* operator new[] (std::size_t size, std::align_val_t al, const std::nothrow_t&) noexcept
{
	try { return allocateAligned (size, al); } catch (...) { return nullptr; }
}

void operator delete (void* p) noexcept { std::free (p); }
void operator delete[] (void* p) noexcept { std::free (p); }
void operator delete (void* p, std::size_t) noexcept { std::free (p); }
void operator delete[] (void* p, std::size_t) noexcept { std::free (p); }
void operator delete (void* p, const std::nothrow_t&) noexcept { std::free (p); }
void operator delete[] (void* p, const std::nothrow_t&) noexcept { std::free (p); }
void operator delete (void* p, std::align_val_t) noexcept { std::free (p); }
void operator delete[] (void* p, std::align_val_t) noexcept { std::free (p); }
void operator delete (void* p, std::size_t, std::align_val_t) noexcept { std::free (p); }
void operator delete[] (void* p, std::size_t, std::align_val_t) noexcept { std::free (p); }
void operator delete (void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free (p); }
void operator delete[] (void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free (p); }
