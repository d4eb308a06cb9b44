#include "ParameterRegistration.h"

#include "DecimalParameter.h"
#include "LogCutoffParameter.h"
#include "NumberText.h"
#include "ParameterTable.h"

namespace TarnwellPlugin {

using namespace Steinberg::Vst;

namespace {

// The SDK's list parameter with its entry list reserved up front: its appendString leaks the
// entry's copy when the list itself cannot grow.
class EntryListParameter : public StringListParameter {
public:
    EntryListParameter(const TChar* title, ParamID id, int32_t flags, int32_t entries)
        : StringListParameter(title, id, nullptr, flags) {
        strings.reserve(static_cast<size_t>(entries));
    }
};

const char* unitOrNull(const ParameterSpec& p) { return p.unit && *p.unit ? p.unit : nullptr; }

Parameter* makeParameter(const ParameterSpec& p) {
    const std::u16string title = toUtf16(p.title);
    const std::u16string unit = toUtf16(unitOrNull(p));
    const TChar* units = unitOrNull(p) ? unit.c_str() : nullptr;
    switch (p.kind) {
    case ParamKind::Range: {
        auto* range = new DecimalRangeParameter(title.c_str(), p.id, units, p.minPlain, p.maxPlain, p.defaultPlain, 0,
                                                p.flags);
        range->setPrecision(p.precision);
        return range;
    }
    case ParamKind::LogRange: return new LogCutoffParameter();
    case ParamKind::List: {
        auto* list = new EntryListParameter(title.c_str(), p.id, p.flags, p.entryCount);
        try {
            for (int32_t e = 0; e < p.entryCount; ++e) {
                const std::u16string entry = toUtf16(p.entries[e]);
                String128 text{};
                for (size_t c = 0; c < entry.size() && c < 127; ++c) text[c] = entry[c];
                list->appendString(text);
            }
        } catch (...) {
            list->release();
            throw;
        }
        return list;
    }
    case ParamKind::Toggle:
    case ParamKind::Step:
    case ParamKind::Action: {
        auto* plain = new DecimalParameter(title.c_str(), p.id, nullptr, p.defaultPlain, p.stepCount(), p.flags);
        plain->setPrecision(p.precision);
        return plain;
    }
    }
    return nullptr;
}

// Hands a new parameter (one reference) to the container. With the container's list reserved
// beforehand, only its id map can fail, and that happens before it takes the reference.
void addOwned(ParameterContainer& parameters, Parameter* p) {
    try {
        parameters.addParameter(p);
    } catch (...) {
        p->release();
        throw;
    }
}

} // namespace

void addLfoShapeGroup(ParameterContainer& parameters, const char* title, ParamID shapeId, ParamID phaseId,
                      ParamID retrigId, ParamID smoothId) {
    for (ParamID id : {shapeId, phaseId, retrigId, smoothId}) {
        ParameterSpec spec = *findParameter(id);
        spec.title = title;
        addOwned(parameters, makeParameter(spec));
    }
}

void registerParameters(ParameterContainer& parameters) {
    parameters.init(static_cast<Steinberg::int32>(std::size(kParameterTable)));
    for (size_t i = 0; i < std::size(kParameterTable); ++i) {
        const ParameterSpec& p = kParameterTable[i];
        if ((p.id == kLfo1Shape || p.id == kLfo2Shape) && i + 3 < std::size(kParameterTable)) {
            addLfoShapeGroup(parameters, p.title, p.id, kParameterTable[i + 1].id, kParameterTable[i + 2].id,
                             kParameterTable[i + 3].id);
            i += 3;
            continue;
        }
        addOwned(parameters, makeParameter(p));
    }
}

} // namespace TarnwellPlugin
