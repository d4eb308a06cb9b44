// Every allocation that building a processor or a controller makes may fail; the host must then
// get no object (or a refusal) and never an exception. The n-th allocation from arming is made to
// fail, for every n until construction needs no more.

#include "ThudderController.h"
#include "ThudderProcessor.h"

#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

namespace {
long gFailCountdown = -1; // -1: never fail; otherwise the number of allocations still allowed
bool gFailed = false;
long gLive = 0; // blocks from operator new not yet deleted

void* allocate(std::size_t size) {
    if (gFailCountdown == 0) {
        gFailed = true;
        throw std::bad_alloc();
    }
    if (gFailCountdown > 0) --gFailCountdown;
    if (void* p = std::malloc(size ? size : 1)) {
        ++gLive;
        return p;
    }
    throw std::bad_alloc();
}

void release(void* p) noexcept {
    if (p) --gLive;
    std::free(p);
}

struct FailAfter {
    explicit FailAfter(long n) {
        gFailed = false;
        gFailCountdown = n;
    }
    ~FailAfter() { gFailCountdown = -1; }
};
} // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }

using namespace TarnwellPlugin;
using namespace Steinberg;

// Either no object, or (where the engine degrades on its own, e.g. a silent wave layer) an object
// that works; never an exception, never a leak.
TEST(FailingAllocation, ProcessorCreateAnswersNothingInsteadOfThrowing) {
    bool built = false;
    for (long n = 0; n < 100000 && !built; ++n) {
        const long live = gLive;
        FUnknown* object = nullptr;
        bool threw = false;
        bool failed = false;
        {
            FailAfter arm(n);
            try {
                object = ThudderProcessor::createInstance(nullptr);
            } catch (...) {
                threw = true;
            }
            failed = gFailed;
        }
        EXPECT_FALSE(threw) << n;
        if (!object) {
            EXPECT_TRUE(failed) << "no object although every allocation succeeded, n = " << n;
        }
        if (object) {
            built = !failed;
            auto* processor = static_cast<Vst::IAudioProcessor*>(static_cast<void*>(object));
            Vst::ProcessSetup setup{Vst::kRealtime, Vst::kSample32, 512, 44100.0};
            EXPECT_EQ(processor->setupProcessing(setup), kResultOk) << n;
            object->release();
        }
        EXPECT_EQ(gLive, live) << "leaked after failing allocation " << n;
    }
    EXPECT_TRUE(built);
}

TEST(FailingAllocation, ControllerCreateAndInitializeRefuseQuietly) {
    { // once without failures, so that the SDK's lazily made singletons exist before counting
        auto* c = static_cast<Vst::IEditController*>(static_cast<void*>(ThudderController::createInstance(nullptr)));
        ASSERT_NE(c, nullptr);
        c->initialize(nullptr);
        c->terminate();
        c->release();
    }
    bool initialized = false;
    for (long n = 0; n < 100000 && !initialized; ++n) {
        const long live = gLive;
        FUnknown* object = nullptr;
        tresult result = kResultFalse;
        {
            FailAfter arm(n);
            EXPECT_NO_THROW(object = ThudderController::createInstance(nullptr));
            if (object) {
                auto* controller = static_cast<Vst::IEditController*>(static_cast<void*>(object));
                EXPECT_NO_THROW(result = controller->initialize(nullptr));
            }
        }
        if (object) {
            auto* controller = static_cast<Vst::IEditController*>(static_cast<void*>(object));
            if (result == kResultOk) {
                initialized = true;
                EXPECT_EQ(controller->getParameterCount(), 161);
            } else {
                EXPECT_EQ(controller->getParameterCount(), 0) << n; // nothing half-registered
            }
            controller->terminate();
            object->release();
        }
        EXPECT_EQ(gLive, live) << "leaked after failing allocation " << n;
    }
    EXPECT_TRUE(initialized);
}

TEST(FailingAllocation, ProcessorInitializeRefusesQuietly) {
    bool initialized = false;
    for (long n = 0; n < 100000 && !initialized; ++n) {
        auto* processor = static_cast<ThudderProcessor*>(
            static_cast<Vst::IAudioProcessor*>(static_cast<void*>(ThudderProcessor::createInstance(nullptr))));
        ASSERT_NE(processor, nullptr);
        tresult result = kResultFalse;
        {
            FailAfter arm(n);
            EXPECT_NO_THROW(result = processor->initialize(nullptr));
        }
        if (result == kResultOk) {
            initialized = true;
            EXPECT_EQ(processor->getBusCount(Vst::kAudio, Vst::kOutput), 1);
        }
        processor->terminate();
        processor->release();
    }
    EXPECT_TRUE(initialized);
}
