#pragma once

// The effects workspace's layout as data: the hit regions with the parameters they edit, their captions and
// tooltips, the page-2 modules, the sub step squares and the gate rate buttons. The drawing places its
// knobs and switches from the same rows that the mouse handling tests, so the two cannot drift apart.

#include "ParameterIds.h"

#include "vstgui/vstgui.h"

#include <array>
#include <cstdint>

namespace TarnwellPlugin {

// A box of the workspace in offsets: x from the view's left edge (x1 from its right edge when x1FromRight,
// both from a page-1 column's knob centre when mixColumn >= 0), y from its top (y1 from its bottom when
// y1FromBottom).
struct WorkspaceBox {
    double x0 = 0.0, y0 = 0.0, x1 = 0.0, y1 = 0.0;
    bool x1FromRight = false;
    bool y1FromBottom = false;
    int32_t mixColumn = -1;
};

constexpr WorkspaceBox workspaceBox(double x0, double y0, double x1, double y1) { return {x0, y0, x1, y1}; }
constexpr WorkspaceBox workspaceBoxToBottom(double x0, double y0, double x1, double fromBottom) {
    return {x0, y0, x1, fromBottom, false, true};
}
constexpr WorkspaceBox workspaceBoxToCorner(double x0, double y0, double fromRight, double fromBottom) {
    return {x0, y0, fromRight, fromBottom, true, true};
}
constexpr WorkspaceBox workspaceMixColumnBox(int32_t column) { return {-55.0, 35.0, 55.0, -10.0, false, true, column}; }

// The accents of the workspace's modules.
enum WorkspaceAccent : int32_t { kAccentCyan, kAccentViolet, kAccentOrange, kAccentTeal, kAccentAmber };
inline constexpr std::array<VSTGUI::CColor, 5> workspaceAccents = {
    VSTGUI::CColor(42, 210, 220, 255),  VSTGUI::CColor(166, 103, 235, 255), VSTGUI::CColor(238, 126, 43, 255),
    VSTGUI::CColor(44, 197, 211, 255),  VSTGUI::CColor(244, 151, 55, 255),
};

enum class WorkspaceRegionKind : int32_t {
    kSmallKnob, // drawModuleKnob at (x0, y0, x1), dragged
    kLargeKnob, // the big knob centred in the box, dragged
    kSwitch,    // an on/off chip filling the box, toggled
};

inline constexpr std::array<const char*, 27> workspaceTooltips = {
    "Sub pitch: tunes the synthesized low body",
    "Pitch drop: bends the initial pitch down into the body",
    "Sweep: sets how quickly the pitch settles",
    "Attack: fades in the synthesized voice",
    "Transient: adds a short deterministic front impact",
    "Soften: removes the front while preserving the late body",
    "Body: adds weight and a controlled second harmonic",
    "Decay: controls the full synthesized tail length",
    "Swell: moves emphasis from the hit into a delayed bloom",
    "Tone: low-pass shapes the complete sub voice",
    "Drive: adds bounded harmonic saturation",
    "Compressor: progressively compacts and boosts the Sub Generator body",
    "Direct ADSR Attack: fades the pure Sub Generator signal in over up to 500 ms",
    "Direct ADSR Decay: controls the fall from peak to sustain over up to 2 seconds",
    "Direct ADSR Sustain: sets the held level of the pure Sub Generator signal",
    "Direct ADSR Release: fades the Sub Generator after note-off; maximum is neutral",
    "Mix: blends the Sub Generator; above 3 o'clock adds up to +8 dB of soft overdrive",
    "Gate Depth: attenuation during each closed rhythm phase",
    "Gate Smooth: softens rhythm edges to prevent clicks",
    "Rift Fold: controls the number and intensity of waveform folds",
    "Rift Mix: blends the folded signal with the clean output",
    "Void Rate: moves from slow pulses to metallic ring modulation",
    "Void Depth: controls the strength of the output modulation",
    "Stereo Enhancer Width: adds kick-derived side information while retaining mono bass",
    "Stereo Enhancer Space: sets the short decorrelation delay from 1.5 to 18 ms",
    "Fattener Tone: darkens or opens the kick-derived octave-down voice",
    "Fattener Amount: mixes the subharmonic copy of the kick layers",
};

inline constexpr const char* kWorkspaceSubSeqTooltip =
    "Sub sequencer: when ON, only this 4x4 pattern triggers the Sub Generator";
inline constexpr const char* kWorkspaceSubStepTooltip =
    "Sub sequencer step: toggles this private Sub Generator trigger";
inline constexpr const char* kWorkspaceSubPageTooltip = "Extended synthesized sub-kick voice";
inline constexpr const char* kWorkspaceMixPageTooltip = "Extended post-FX source mixer";
inline constexpr const char* kWorkspaceFxPageTooltip = "Extended final effects";

// One hit region: the parameter it edits, its page, box, kind, caption (knob caption or switch label),
// accent and tooltip (null: the page's own text).
struct WorkspaceRegion {
    uint32_t id;
    int32_t page;
    WorkspaceBox box;
    WorkspaceRegionKind kind;
    const char* label;
    WorkspaceAccent accent;
    const char* tooltip;
};

inline constexpr std::array<WorkspaceRegion, 36> workspaceRegions = {{
    // page 0: the voice knobs, the direct ADSR and the mixer
    {kSubGeneratorPitch, 0, workspaceBox(301, 8, 359, 74), WorkspaceRegionKind::kSmallKnob, "PITCH", kAccentCyan,
     workspaceTooltips[0]},
    {kSubGeneratorDrop, 0, workspaceBox(401, 8, 459, 74), WorkspaceRegionKind::kSmallKnob, "DROP", kAccentCyan,
     workspaceTooltips[1]},
    {kSubGeneratorSweep, 0, workspaceBox(501, 8, 559, 74), WorkspaceRegionKind::kSmallKnob, "SWEEP", kAccentCyan,
     workspaceTooltips[2]},
    {kSubGeneratorAttack, 0, workspaceBox(601, 8, 659, 74), WorkspaceRegionKind::kSmallKnob, "ATTACK", kAccentCyan,
     workspaceTooltips[3]},
    {kSubGeneratorTransient, 0, workspaceBox(701, 8, 759, 74), WorkspaceRegionKind::kSmallKnob, "TRANSIENT",
     kAccentCyan, workspaceTooltips[4]},
    {kSubGeneratorSoften, 0, workspaceBox(801, 8, 859, 74), WorkspaceRegionKind::kSmallKnob, "SOFTEN", kAccentCyan,
     workspaceTooltips[5]},
    {kSubGeneratorBody, 0, workspaceBox(301, 91, 359, 157), WorkspaceRegionKind::kSmallKnob, "BODY", kAccentCyan,
     workspaceTooltips[6]},
    {kSubGeneratorDecay, 0, workspaceBox(401, 91, 459, 157), WorkspaceRegionKind::kSmallKnob, "DECAY", kAccentCyan,
     workspaceTooltips[7]},
    {kSubGeneratorSwell, 0, workspaceBox(501, 91, 559, 157), WorkspaceRegionKind::kSmallKnob, "SWELL", kAccentCyan,
     workspaceTooltips[8]},
    {kSubGeneratorTone, 0, workspaceBox(601, 91, 659, 157), WorkspaceRegionKind::kSmallKnob, "TONE", kAccentCyan,
     workspaceTooltips[9]},
    {kSubGeneratorDrive, 0, workspaceBox(701, 91, 759, 157), WorkspaceRegionKind::kSmallKnob, "DRIVE", kAccentCyan,
     workspaceTooltips[10]},
    {kSubGeneratorCompressor, 0, workspaceBox(801, 91, 859, 157), WorkspaceRegionKind::kSmallKnob, "COMP",
     kAccentCyan, workspaceTooltips[11]},
    {kSubGeneratorADSRAttack, 0, workspaceBox(1263.5, 29, 1321.5, 95), WorkspaceRegionKind::kSmallKnob, "ATTACK",
     kAccentCyan, workspaceTooltips[12]},
    {kSubGeneratorADSRDecay, 0, workspaceBox(1348.5, 29, 1406.5, 95), WorkspaceRegionKind::kSmallKnob, "DECAY",
     kAccentCyan, workspaceTooltips[13]},
    {kSubGeneratorADSRSustain, 0, workspaceBox(1263.5, 96, 1321.5, 162), WorkspaceRegionKind::kSmallKnob, "SUSTAIN",
     kAccentCyan, workspaceTooltips[14]},
    {kSubGeneratorADSRRelease, 0, workspaceBox(1348.5, 96, 1406.5, 162), WorkspaceRegionKind::kSmallKnob, "RELEASE",
     kAccentCyan, workspaceTooltips[15]},
    {kSubGeneratorMix, 0, workspaceBoxToCorner(1440, 35, -10, -12), WorkspaceRegionKind::kLargeKnob, "SUB",
     kAccentCyan, workspaceTooltips[16]},
    // page 1: the four dry returns
    {kExtendedMixKickDryReturn, 1, workspaceMixColumnBox(0), WorkspaceRegionKind::kLargeKnob, "POST-FX MIX",
     kAccentOrange, "Kick dry return: post-FX source return with up to +9.5 dB boost above 3 o'clock"},
    {kExtendedMixWaveDryReturn, 1, workspaceMixColumnBox(1), WorkspaceRegionKind::kLargeKnob, "POST-FX MIX",
     kAccentAmber, "Wave dry return: post-FX source return with up to +9.5 dB boost above 3 o'clock"},
    {kExtendedMixOSCDryReturn, 1, workspaceMixColumnBox(2), WorkspaceRegionKind::kLargeKnob, "POST-FX MIX",
     kAccentCyan, "OSC dry return: post-FX source return with up to +9.5 dB boost above 3 o'clock"},
    {kExtendedMixSubDryReturn, 1, workspaceMixColumnBox(3), WorkspaceRegionKind::kLargeKnob, "POST-FX MIX",
     kAccentViolet, "Sub dry return: adds the Sub Generator after all FX with up to +15.6 dB progressive boost"},
    // page 2: the module switches, then each module's knobs
    {kOutputRhythmGate, 2, workspaceBox(10, 50, 80, 78), WorkspaceRegionKind::kSwitch, "GATE", kAccentCyan, nullptr},
    {kRiftFoldEnable, 2, workspaceBox(410, 50, 480, 78), WorkspaceRegionKind::kSwitch, "FOLD", kAccentViolet,
     nullptr},
    {kVoidModEnable, 2, workspaceBox(745, 50, 815, 78), WorkspaceRegionKind::kSwitch, "VOID", kAccentOrange, nullptr},
    {kStereoEnhancerEnable, 2, workspaceBox(1080, 50, 1150, 78), WorkspaceRegionKind::kSwitch, "WIDE", kAccentTeal,
     nullptr},
    {kFattenerEnable, 2, workspaceBox(1355, 50, 1425, 78), WorkspaceRegionKind::kSwitch, "FAT", kAccentAmber, nullptr},
    {kOutputGateDepth, 2, workspaceBox(185, 13, 237, 71), WorkspaceRegionKind::kSmallKnob, "DEPTH", kAccentCyan,
     workspaceTooltips[17]},
    {kOutputGateSmooth, 2, workspaceBox(185, 76, 237, 134), WorkspaceRegionKind::kSmallKnob, "SMOOTH", kAccentCyan,
     workspaceTooltips[18]},
    {kRiftFoldAmount, 2, workspaceBoxToBottom(495, 39, 547, -8), WorkspaceRegionKind::kSmallKnob, "FOLD",
     kAccentViolet, workspaceTooltips[19]},
    {kRiftFoldMix, 2, workspaceBoxToBottom(555, 39, 607, -8), WorkspaceRegionKind::kSmallKnob, "MIX", kAccentViolet,
     workspaceTooltips[20]},
    {kVoidModRate, 2, workspaceBoxToBottom(830, 39, 882, -8), WorkspaceRegionKind::kSmallKnob, "RATE", kAccentOrange,
     workspaceTooltips[21]},
    {kVoidModDepth, 2, workspaceBoxToBottom(890, 39, 942, -8), WorkspaceRegionKind::kSmallKnob, "DEPTH",
     kAccentOrange, workspaceTooltips[22]},
    {kStereoEnhancerWidth, 2, workspaceBoxToBottom(1165, 39, 1217, -8), WorkspaceRegionKind::kSmallKnob, "WIDTH",
     kAccentTeal, workspaceTooltips[23]},
    {kStereoEnhancerSpace, 2, workspaceBoxToBottom(1225, 39, 1277, -8), WorkspaceRegionKind::kSmallKnob, "SPACE",
     kAccentTeal, workspaceTooltips[24]},
    {kFattenerTone, 2, workspaceBoxToBottom(1440, 39, 1492, -8), WorkspaceRegionKind::kSmallKnob, "TONE",
     kAccentAmber, workspaceTooltips[25]},
    {kFattenerAmount, 2, workspaceBoxToBottom(1500, 39, 1552, -8), WorkspaceRegionKind::kSmallKnob, "AMOUNT",
     kAccentAmber, workspaceTooltips[26]},
}};

// Region numbers where each page's run of regions starts (and the next one's ends).
inline constexpr int32_t kWorkspaceSubVoiceRegions = 0;   // 0..11, the twelve voice knobs
inline constexpr int32_t kWorkspaceSubAdsrRegions = 12;   // 12..15, the direct ADSR
inline constexpr int32_t kWorkspaceSubMixRegion = 16;
inline constexpr int32_t kWorkspaceMixRegions = 17;       // 17..20, page 1
inline constexpr int32_t kWorkspaceFxSwitchRegions = 21;  // 21..25, one per page-2 module
inline constexpr int32_t kWorkspaceFxKnobRegions = 26;    // 26..35, two per page-2 module
inline constexpr int32_t kWorkspaceRegionCount = 36;

inline constexpr std::array<uint32_t, 36> workspaceRegionIds = [] {
    std::array<uint32_t, 36> ids{};
    for (size_t r = 0; r < ids.size(); ++r) ids[r] = workspaceRegions[r].id;
    return ids;
}();

// The five effect modules of page 2, side by side from the left edge, full height.
struct WorkspaceModule {
    const char* title;
    double start;
    double width;
    WorkspaceAccent accent;
};
inline constexpr std::array<WorkspaceModule, 5> workspaceFxModules = {{
    {"RHYTHM GATE", 0, 390, kAccentCyan},
    {"RIFT FOLD", 400, 325, kAccentViolet},
    {"VOID MOD", 735, 325, kAccentOrange},
    {"STEREO ENHANCER", 1070, 265, kAccentTeal},
    {"FATTENER", 1345, 245, kAccentAmber},
}};

// Page 1's column titles, one per dry-return region.
inline constexpr std::array<const char*, 4> workspaceMixTitles = {"KICK DRY RETURN", "WAVE DRY RETURN",
                                                                  "OSC DRY RETURN", "SUB DRY RETURN"};

// Page 0's "SEQ" switch and its 4 x 4 step squares (step i edits kSubStep1 + i).
inline constexpr WorkspaceBox kWorkspaceSubSeqBox = workspaceBox(35, 91, 105, 120);
inline constexpr int32_t kWorkspaceSubStepCount = 16;
constexpr WorkspaceBox workspaceSubStepBox(int32_t step) {
    const double x = 145.0 + 31.0 * (step % 4);
    const double y = 17.0 + 31.0 * (step / 4);
    return workspaceBox(x, y, x + 26.0, y + 26.0);
}

// The rhythm gate's rate buttons; each sets Output Gate Rate to its value.
struct WorkspaceRateButton {
    WorkspaceBox box;
    const char* label;
    double value;
};
inline constexpr std::array<WorkspaceRateButton, 4> workspaceRateButtons = {{
    {workspaceBox(10, 89, 49, 119), "1/2", 0.0},
    {workspaceBox(51, 89, 90, 119), "1/4", 1.0 / 3.0},
    {workspaceBox(92, 89, 131, 119), "1/8", 2.0 / 3.0},
    {workspaceBox(133, 89, 172, 119), "1/16", 1.0},
}};

// The page-2 rows must follow the module layout: the switch at xm + 10, the knobs at xm + 95 and xm + 155
// (the rhythm gate's stacked knobs at 185).
constexpr bool workspaceFxRowsFollowModules() {
    for (size_t m = 0; m < workspaceFxModules.size(); ++m) {
        const WorkspaceModule& module = workspaceFxModules[m];
        const WorkspaceRegion& chip = workspaceRegions[kWorkspaceFxSwitchRegions + m];
        const WorkspaceRegion& first = workspaceRegions[kWorkspaceFxKnobRegions + 2 * m];
        const WorkspaceRegion& second = workspaceRegions[kWorkspaceFxKnobRegions + 2 * m + 1];
        if (chip.box.x0 != module.start + 10 || chip.box.x1 != module.start + 80 || chip.accent != module.accent)
            return false;
        if (first.accent != module.accent || second.accent != module.accent) return false;
        if (m > 0 && (first.box.x0 != module.start + 95 || second.box.x0 != module.start + 155)) return false;
    }
    return true;
}
static_assert(workspaceFxRowsFollowModules());

// The box in the view's own coordinates (those of its parent) for the view rectangle `view`.
VSTGUI::CRect workspaceBoxRect(const WorkspaceBox& box, const VSTGUI::CRect& view);
// Page 1's knob centre of column k as an offset from the left edge, for the view width w.
double workspaceMixColumnCentre(int32_t column, double width);
// Edges included; a box without width or height holds no point.
bool workspaceBoxHolds(const VSTGUI::CRect& box, const VSTGUI::CPoint& where);

// The normalized values the VOICE CONTOUR curves are drawn from.
struct SubVoiceValues {
    double pitch = 0, drop = 0, sweep = 0, attack = 0, transient = 0, soften = 0, body = 0, decay = 0, swell = 0,
           tone = 0, drive = 0, compressor = 0;
    double mix = 0; // the sub's level on the curves: Sub Generator Mix / 0.83, at most 1
    double adsrAttack = 0, adsrDecay = 0, adsrSustain = 0, adsrRelease = 0;
};

// The direct ADSR at time u in [0, 1] (not clamped).
double subVoiceAdsrAt(const SubVoiceValues& values, double u);
// The AMP curve at time u.
double subVoiceContourAt(const SubVoiceValues& values, double u);
// The PITCH curve at time u.
double subVoicePitchContourAt(const SubVoiceValues& values, double u);
// The curves are polylines of this many segments over u = s / segments.
inline constexpr int32_t kSubVoiceContourSegments = 96;
// The HARM curve at segment s (0..96); its harmonic ripple follows the segment number itself.
double subVoiceHarmonicContourAt(const SubVoiceValues& values, int32_t s);

} // namespace TarnwellPlugin
