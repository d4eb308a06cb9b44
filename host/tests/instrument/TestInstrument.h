// A tiny instrument for the host tests, built as a bundle with the sdk layer: a decaying 440 Hz
// burst on every note-on and on every quarter note while the host's transport plays.
#pragma once

#include "pluginterfaces/base/funknown.h"
#include "pluginterfaces/vst/vsttypes.h"

namespace GrundmoorTestInstrument {

// Parameter ids.
enum : Steinberg::Vst::ParamID
{
	kGainId = 1,      // output gain, linear = normalized value; sample-accurate
	kAllocateId = 2,  // on: process() allocates every block (a deliberate fault for the counter)
	kTicksId = 100,   // controller only, read-only: "Tick" messages received
	kTriggersId = 101, // controller only, read-only: processor's trigger count of the last tick
	kPingsId = 102,   // controller only, read-only: pings the processor had seen at the last tick
};

constexpr double kDefaultGain = 0.5;
constexpr double kBurstHz = 440.0;
constexpr double kBurstSeconds = 0.05;
constexpr int kBlocksPerTick = 8;       // one message to the controller every 8 blocks
constexpr double kCountRange = 1000000.0; // plain range of the read-only counters

inline const char* const kTickMessage = "TestInstrument.Tick";
inline const char* const kPingMessage = "TestController.Ping";

static const Steinberg::FUID kProcessorUID (0x6A7D1E01, 0x4B2C11EE, 0x9F3A0002, 0xA5C0FFEE);
static const Steinberg::FUID kControllerUID (0x6A7D1E02, 0x4B2C11EE, 0x9F3A0002, 0xA5C0FFEE);

} // namespace GrundmoorTestInstrument
