// Builds the flag word an audio processor answers in
// IProcessContextRequirements::getProcessContextRequirements: which ProcessContext fields it needs.
#pragma once

#include "pluginterfaces/vst/ivstaudioprocessor.h"

namespace Steinberg {
namespace Vst {

class ProcessContextRequirements
{
	using Self = ProcessContextRequirements;
	using Flags = IProcessContextRequirements::Flags;

public:
	constexpr ProcessContextRequirements (uint32 initialFlags = 0) : flags (initialFlags) {}

	Self& needSystemTime () { return add (Flags::kNeedSystemTime); }
	Self& needContinousTimeSamples () { return add (Flags::kNeedContinousTimeSamples); }
	Self& needProjectTimeMusic () { return add (Flags::kNeedProjectTimeMusic); }
	Self& needBarPositionMusic () { return add (Flags::kNeedBarPositionMusic); }
	Self& needCycleMusic () { return add (Flags::kNeedCycleMusic); }
	Self& needSamplesToNextClock () { return add (Flags::kNeedSamplesToNextClock); }
	Self& needTempo () { return add (Flags::kNeedTempo); }
	Self& needTimeSignature () { return add (Flags::kNeedTimeSignature); }
	Self& needChord () { return add (Flags::kNeedChord); }
	Self& needFrameRate () { return add (Flags::kNeedFrameRate); }
	Self& needTransportState () { return add (Flags::kNeedTransportState); }

	uint32 get () const { return flags; }
	operator uint32 () const { return flags; }

	uint32 flags;

private:
	Self& add (uint32 flag)
	{
		flags |= flag;
		return *this;
	}
};

} // namespace Vst
} // namespace Steinberg
