#!/usr/bin/env python3
"""Writes resource/editor.uidesc, the editor's UI description, from the layout below.

    python3 resource/layout/make_editor_uidesc.py [output]

The build only copies editor.uidesc; this script is how it is kept: change the layout here,
run it, and commit both. All coordinates are points at zoom 1. A module is a frame-coloured
container with a panel-coloured container inset by one point; the contents of a module are
given in the module's own coordinates (the script moves them into the inner panel).

Bitmap sizes (resource/bitmaps/generate_bitmaps.cpp) and the views that show them must agree:
the two-frame strips are exactly as wide as their view and twice as high.
"""

import json
import os
import sys

# ---------------------------------------------------------------------------------------------
# Palette

COLOURS = {
    "root": "#03080aff",
    "header": "#0a1216ff",
    "header-frame": "#222c30ff",
    "panel": "#2a3134ff",
    "panel-frame": "#4c575aff",
    "inset": "#0a1216ff",
    "divider": "#4c575aff",
    "caption": "#aec1c5ff",
    "text": "#cfe0e2ff",
    "dim-text": "#7e8997ff",
    "cyan": "#2ad2dcff",
    "cyan-2": "#35cdd7ff",
    "orange": "#ee7e2bff",
    "orange-2": "#ff8b37ff",
    "violet": "#a667ebff",
    "handle": "#e6e7e0ff",
    "toggle-text": "#aebcc0ff",
    "toggle-text-on": "#eef6f6ff",
}

FONTS = {
    "title": {"font-name": "Arial", "size": "14", "bold": "true"},
    "caption": {"font-name": "Arial", "size": "12", "bold": "true"},
    "menu": {"font-name": "Arial", "size": "13", "bold": "true"},
    "button": {"font-name": "Arial", "size": "12", "bold": "true"},
    "header-button": {"font-name": "Arial", "size": "14", "bold": "true"},
    "value": {"font-name": "Arial", "size": "12", "bold": "true"},
}

BITMAPS = [
    "toggle-70", "toggle-64", "tail-button", "gain-fader-handle", "grundmoor-flat-brand",
    "tarnwell-plain-logo", "lfo-wave-sine", "lfo-wave-square", "lfo-wave-triangle", "lfo-wave-random",
]

# Sizes of the views that show the bitmaps (one frame).
TOGGLE_70 = (70, 28)
TOGGLE_64 = (64, 26)
TAIL_BUTTON = (96, 30)
LFO_SHAPE = (46, 34)
BRAND = (300, 52)
LOGO = (170, 48)

WIDTH, HEIGHT = 1770, 1070

# ---------------------------------------------------------------------------------------------
# View makers. Every maker returns one view: {"attributes": {...}, "children": [...]}.


def pt(x, y):
    return f"{x:g}, {y:g}"


def view(cls, x, y, w, h, **attrs):
    a = {"class": cls, "origin": pt(x, y), "size": pt(w, h)}
    for k, v in attrs.items():
        a[k.replace("_", "-")] = str(v)
    return {"attributes": a}


def container(x, y, w, h, colour, children=None, **attrs):
    v = view("CViewContainer", x, y, w, h, background_color=colour, **attrs)
    v["children"] = children or []
    return v


def label(x, y, w, h, text, font="caption", colour="caption", align="center", **attrs):
    return view("CTextLabel", x, y, w, h, title=text, font=font, font_color=colour, text_alignment=align,
                transparent="true", style_no_frame="true", mouse_enabled="false", **attrs)


def knob(x, y, size, tag, accent, tooltip=None, **attrs):
    a = dict(control_tag=tag, custom_view_name="MetalKnob", corona_color=accent, handle_color="handle",
             handle_line_width="3", draw_corona="true")
    if tooltip:
        a["tooltip"] = tooltip
    a.update(attrs)
    return view("CKnob", x, y, size, size, **a)


def knob_cell(x, y, w, size, tag, caption, accent, tooltip=None, **attrs):
    """A knob centred in a cell of width w with its caption below it."""
    return [knob(x + (w - size) / 2, y, size, tag, accent, tooltip, **attrs),
            label(x, y + size + 2, w, 16, caption)]


def menu(x, y, w, h, tag=None, tooltip=None, **attrs):
    a = dict(font="menu", font_color="text", back_color="inset", frame_color="panel-frame", frame_width="1",
             text_alignment="center", text_inset="6, 0")
    if tag is not None:
        a["control_tag"] = tag
    if tooltip:
        a["tooltip"] = tooltip
    a.update(attrs)
    return view("COptionMenu", x, y, w, h, **a)


def image_toggle(name, x, y, size, tag, title, tooltip=None):
    a = dict(custom_view_name=name, control_tag=tag, title=title, font="button", text_color="toggle-text",
             text_color_highlighted="toggle-text-on", text_alignment="center", frame_width="1",
             frame_color="panel-frame", frame_color_highlighted="cyan", round_radius="0",
             gradient="none", gradient_highlighted="none")
    if tooltip:
        a["tooltip"] = tooltip
    return view("CTextButton", x, y, size[0], size[1], **a)


def header_button(name, x, y, w, h, title, tag=None, font="button", tooltip=None, **extra):
    a = dict(custom_view_name=name, title=title, font=font, text_color="text", text_color_highlighted="orange-2",
             frame_color="panel-frame", frame_color_highlighted="orange", frame_width="1.5", round_radius="0",
             gradient="#0a1216ff, #081013ff", gradient_highlighted="#1a2a30ff, #0a1216ff")
    if tag is not None:
        a["control_tag"] = tag
    if tooltip:
        a["tooltip"] = tooltip
    a.update(extra)
    return view("CTextButton", x, y, w, h, **a)


def custom(name, x, y, w, h, cls="CView", **attrs):
    return view(cls, x, y, w, h, custom_view_name=name, **attrs)


def shift(views, dx, dy):
    for v in views:
        ox, oy = (float(s) for s in v["attributes"]["origin"].split(","))
        v["attributes"]["origin"] = pt(ox + dx, oy + dy)
    return views


def module(x, y, w, h, title, accent, children, title_width=None, frame="panel-frame", panel="panel"):
    """A framed panel with an accent strip and a title; children in the module's coordinates."""
    inner = [container(0, 0, w - 2, 3, accent)]  # accent strip along the top
    if title:
        inner.append(label(10, 8, title_width or (w - 20), 20, title, font="title", colour=accent, align="left"))
    inner.extend(shift(children, -1, -1))
    return container(x, y, w, h, frame, [container(1, 1, w - 2, h - 2, panel, inner)])


def flatten(*parts):
    out = []
    for p in parts:
        if isinstance(p, list):
            out.extend(flatten(*p))
        else:
            out.append(p)
    return out


# ---------------------------------------------------------------------------------------------
# Modules, in root coordinates. The signal-flow rail draws its arrows at fixed root positions:
# three at x 426 (y 300, 455, 555) from the layer column into the layer mix, seven at
# x 516, 756, 906, 1046, 1206, 1476, 1636 at the rail's top + 0.48 of its height. The chain row
# below therefore keeps its gaps exactly there.

CHAIN_TOP, CHAIN_HEIGHT = 262, 378          # the effect chain row: 262 .. 640
RAIL = (426, CHAIN_TOP, 1650 - 426, CHAIN_HEIGHT)  # arrows of the row at y = 262 + 0.48 * 378 = 443.4


def header():
    # brand at the left, the preset cluster in the middle, the maker's logo at the right
    x = 500
    c = [
        custom("BrandLockup", 10, 6, *BRAND, tooltip="About Grundmoor Rumble Kick"),
        label(x, 5, 200, 16, "PRESET", align="left"),
        header_button("PresetPrevious", x, 25, 34, 30, "<", font="header-button", tooltip="Previous preset"),
        menu(x + 38, 25, 300, 30, tooltip="Choose a preset", custom_view_name="PresetChooser"),
        header_button("PresetNext", x + 342, 25, 34, 30, ">", font="header-button", tooltip="Next preset"),
        header_button("SynthSaveButton", x + 388, 25, 76, 30, "SAVE", tag=153,
                      tooltip="Save the current sound as a user preset"),
        header_button("SynthDeletePreset", x + 470, 25, 86, 30, "DELETE", tooltip="Delete the chosen user preset"),
        label(x + 588, 5, 210, 16, "FACTORY SOUND", align="left"),
        menu(x + 588, 25, 210, 30, tag=127, tooltip="Factory sound"),
        header_button("SynthRecordButton", x + 808, 25, 30, 30, "", tag=128, visible="false"),
        custom("TarnwellLogo", 1750 - 12 - LOGO[0], 8, *LOGO, tooltip="About"),
    ]
    # The header is one frame-coloured box with a dark inner panel.
    return container(10, 8, 1750, 64, "header-frame",
                     [container(1, 1, 1748, 62, "header", shift(c, -1, -1))])


def kick():
    a = "orange"
    c = [label(200, 10, 194, 16, "SYNTHESIZED BODY", colour="dim-text", align="right")]
    row1 = [(129, "TUNE"), (130, "DECAY"), (131, "PITCH DROP"), (132, "PITCH DECAY")]
    for i, (tag, cap) in enumerate(row1):
        c += knob_cell(10 + 96 * i, 34, 96, 56, tag, cap, a)
    row2 = [(133, "TRANSIENT"), (145, "CLICK TONE"), (143, "PUNCH")]
    row3 = [(144, "BODY"), (146, "TIGHTNESS"), (134, "DRIVE")]
    for i, (tag, cap) in enumerate(row2):
        c += knob_cell(10 + 128 * i, 118, 128, 50, tag, cap, a)
    for i, (tag, cap) in enumerate(row3):
        c += knob_cell(10 + 128 * i, 202, 128, 50, tag, cap, a)
    return module(10, 80, 404, 300, "KICK", a, c, title_width=150)


def osc_layer():
    a = "cyan"
    c = [label(150, 10, 70, 16, "WAVE", align="right"),
         menu(228, 6, 166, 24, tag=106, tooltip="Osc layer waveform")]
    cells = [(100, "FREQ", None), (177, "ATTACK", "Osc Layer Attack"), (158, "DECAY", None), (181, "DELAY", None)]
    for i, (tag, cap, name) in enumerate(cells):
        c += knob_cell(10 + 96 * i, 36, 96, 48, name or tag, cap, a)
    return module(10, 390, 404, 118, "OSC LAYER", a, c, title_width=130)


def wave_layer():
    a = "violet"
    c = [label(150, 10, 70, 16, "TABLE", align="right"),
         menu(228, 6, 166, 24, tag=179, tooltip="Wave layer waveform")]
    cells = [(173, "ATTACK"), (174, "DECAY"), (175, "PITCH"), (180, "DELAY")]
    for i, (tag, cap) in enumerate(cells):
        c += knob_cell(10 + 96 * i, 38, 96, 48, tag, cap, a)
    return module(10, 518, 404, 122, "WAVE LAYER", a, c, title_width=130)


def lfo(n, x):
    a = "violet" if n == 1 else "orange"
    target, shape_tag, phase, retrig, smooth = (155, 163, 164, 165, 166) if n == 1 else (156, 167, 168, 169, 170)
    c = [label(150, 10, 98, 16, "TARGET", align="right"),
         menu(256, 7, 124, 24, tag=target, tooltip=f"LFO {n} target"),
         label(12, 38, 196, 16, "SHAPE", align="left")]
    shapes = ["Sine", "Square", "Triangle", "Sample & hold"]
    for k in range(4):
        c.append(custom(f"Lfo{n}Shape{k + 1}", 12 + 50 * k, 56, *LFO_SHAPE, cls="CTextButton",
                        title="", frame_width="1", frame_color="panel-frame", frame_color_highlighted="cyan",
                        round_radius="0", gradient="none", gradient_highlighted="none",
                        tooltip=f"LFO {n}: {shapes[k]} (click the lit shape to switch the LFO off)"))
    c.append(label(12, 102, 80, 16, "RETRIG", align="left"))
    c.append(image_toggle("SynthToggle64", 12, 122, TOGGLE_64, retrig, "OFF", tooltip=f"LFO {n} restarts with each kick"))
    c += knob_cell(226, 52, 76, 52, phase, "PHASE", a)
    c += knob_cell(304, 52, 76, 52, smooth, "SMOOTH", a)
    return module(x, 80, 390, 172, f"LFO {n}", a, c, title_width=100)


def mod_lfo(title, x, rate, depth):
    a = "cyan"
    c = knob_cell(170, 8, 90, 44, rate, "RATE", a) + knob_cell(260, 8, 90, 44, depth, "DEPTH", a)
    return module(x, 778, 360, 80, title, a, c, title_width=150)


def output_level():
    a = "orange"
    c = knob_cell(10, 44, 110, 64, 101, "VOLUME", a)
    c += [label(132, 52, 252, 16, "OUTPUT LEVEL", align="left"),
          custom("OutputMeter", 132, 72, 252, 44)]
    return module(1240, 80, 396, 172, "OUTPUT", a, c, title_width=150)


def layer_mix():
    a = "cyan"
    c = []
    # knob centres near the arrows at y 300, 455 and 555
    for tag, cap, y in [(178, "KICK", 40), (157, "OSC", 169), (176, "WAVE", 269)]:
        c += knob_cell(4, y, 68, 48, tag, cap, a)
    return module(440, CHAIN_TOP, 76, CHAIN_HEIGHT, "MIX", a, c, title_width=56)


def envelope():
    a = "orange"
    c = [menu(150, 6, 66, 24, tag=160, tooltip="Envelope curve"),
         custom("EnvelopePreview", 10, 36, 206, 112)]
    cells = [(107, "ATTACK", 10, 158), (108, "DECAY", 113, 158), (109, "SUSTAIN", 10, 264), (110, "RELEASE", 113, 264)]
    for tag, cap, x, y in cells:
        c += knob_cell(x, y, 103, 48, tag, cap, a)
        c.append(custom("EnvelopeValueDisplay", x + 11, y + 68, 81, 22, cls="CParamDisplay", control_tag=tag,
                        font="value", font_color="orange-2", back_color="inset", frame_color="panel-frame"))
    return module(530, CHAIN_TOP, 226, CHAIN_HEIGHT, "ENVELOPE", a, c, title_width=130)


def kick_filter():
    a = "cyan"
    c = [label(8, 36, 120, 16, "MODE"),
         menu(8, 54, 120, 26, tag=147, tooltip="Kick filter mode")]
    c += knob_cell(8, 104, 120, 64, 148, "CUTOFF", a)
    c += knob_cell(8, 234, 120, 64, 149, "RESONANCE", a)
    return module(770, CHAIN_TOP, 136, CHAIN_HEIGHT, "KICK FILTER", a, c)


def compressor():
    a = "orange"
    c = []
    for i, (tag, cap) in enumerate([(150, "AMOUNT"), (151, "ATTACK"), (152, "RELEASE")]):
        c += knob_cell(4, 40 + 100 * i, 72, 48, tag, cap, a)
    c.append(custom("CompressionReductionMeter", 78, 36, 42, 314))
    c.append(label(76, 354, 46, 16, "GR"))
    return module(920, CHAIN_TOP, 126, CHAIN_HEIGHT, "COMP", a, c)


def rumble():
    a = "violet"
    c = []
    for i, (tag, cap) in enumerate([(135, "AMOUNT"), (136, "DECAY"), (137, "TONE"), (138, "DRIVE")]):
        c += knob_cell(8, 36 + 84 * i, 130, 56, tag, cap, a)
    return module(1060, CHAIN_TOP, 146, CHAIN_HEIGHT, "RUMBLE", a, c)


def space_column():
    a = "cyan"
    x = 1220
    delay = []
    for i, (tag, cap) in enumerate([(115, "TIME"), (116, "FEEDBACK"), (117, "MIX")]):
        delay += knob_cell(8 + 80 * i, 34, 80, 48, tag, cap, a)
    amb = [menu(126, 6, 120, 24, tag=118, tooltip="Ambience type")]
    for i, (tag, cap) in enumerate([(119, "DECAY"), (120, "DAMPING"), (121, "MIX")]):
        amb += knob_cell(8 + 80 * i, 38, 80, 48, tag, cap, a)
    lr = [menu(126, 6, 120, 24, tag=122, tooltip="Long reverb space")]
    for i, (tag, cap) in enumerate([(123, "DECAY"), (124, "DAMP"), (125, "PREDLY"), (126, "MIX")]):
        lr += knob_cell(8 + 60 * i, 36, 60, 44, tag, cap, a)
    return [module(x, 262, 256, 118, "DELAY", a, delay),
            module(x, 388, 256, 126, "AMBIENCE", a, amb, title_width=110),
            module(x, 522, 256, 118, "LONG REVERB", a, lr, title_width=110)]


def main_filter():
    a = "cyan"
    c = [label(8, 36, 130, 16, "MODE"),
         menu(8, 54, 130, 26, tag=114, tooltip="Main filter mode")]
    c += knob_cell(8, 104, 130, 64, 112, "CUTOFF", a)
    c += knob_cell(8, 234, 130, 64, 113, "RESONANCE", a)
    return module(1490, CHAIN_TOP, 146, CHAIN_HEIGHT, "MAIN FILTER", a, c)


def gain():
    a = "orange"
    c = [custom("OutputGainFader", 5, 34, 100, 520, control_tag=159, tooltip="Output gain")]
    return module(1650, 80, 110, 560, "GAIN", a, c)


SEQ_STEP_X = 280      # first step button, in the sequencer's coordinates
STEP_W, STEP_H = 52, 60


def step_x(i):
    return SEQ_STEP_X + (i // 4) * 244 + (i % 4) * 58


def sequencer():
    a = "orange"
    c = [label(12, 36, 70, 16, "ENABLE"),
         image_toggle("SynthToggle70", 12, 56, TOGGLE_70, 440, "ON", tooltip="Sequencer on or off"),
         label(92, 36, 70, 16, "RETRIG"),
         image_toggle("SynthToggle70", 92, 56, TOGGLE_70, 161, "ON", tooltip="Envelope restarts with each step"),
         ]
    c += knob_cell(172, 34, 96, 48, 162, "HALF VEL", a)
    for i in range(16):
        c.append(custom("SynthStepButton", step_x(i), 36, STEP_W, STEP_H, cls="CTextButton", control_tag=200 + i,
                        title=str(i + 1), tooltip=f"Step {i + 1}: off, half or full"))
    # The tempo section: the background's dividers at +128, +224 and +354 part display, mode,
    # rate knob and sync button.
    tw, th = 470, 88
    tempo = [custom("TempoSectionBackground", 0, 0, tw, th, mouse_enabled="false"),
             custom("TempoDisplay", 10, 22, 108, 44),
             custom("TempoModeSelector", 136, 30, 80, 28),
             knob(265, 10, 48, 111, "orange", custom_view_name="TempoRateKnob", tooltip="Sequence rate"),
             label(232, 62, 114, 16, "RATE"),
             header_button("TempoSync", 364, 29, 96, 30, "SYNC", tooltip="Follow the host tempo or the manual rate")]
    c.append(container(1748 - 10 - tw, 20, tw, th, "~ TransparentCColor", tempo, transparent="true"))
    return module(10, 650, 1750, 120, "SEQUENCER", a, c, title_width=150)


def tail_gate():
    a = "violet"
    c = [view("CTextButton", 12, 40, *TAIL_BUTTON, custom_view_name="SynthTailButton", control_tag=139, title="OFF",
              font="button", text_color="toggle-text", text_color_highlighted="toggle-text-on",
              text_alignment="center", frame_width="1", frame_color="panel-frame",
              frame_color_highlighted="cyan", round_radius="0", gradient="none", gradient_highlighted="none",
              tooltip="Tail gate on or off"),
         label(130, 14, 120, 16, "RATE"),
         menu(130, 34, 120, 28, tag=140, tooltip="Tail gate rate")]
    c += knob_cell(262, 8, 72, 44, 141, "DEPTH", a)
    c += knob_cell(338, 8, 72, 44, 142, "SMOOTH", a)
    c.append(label(430, 14, 200, 16, "TAIL STEPS", align="left"))
    for i in range(8):
        c.append(image_toggle("SynthToggle64", 430 + 72 * i, 36, TOGGLE_64, 300 + i, str(i + 1),
                              tooltip=f"Tail step {i + 1}"))
    return module(10, 778, 1010, 80, "TAIL GATE", a, c, title_width=110)


def wave_area():
    a = "cyan"
    buttons = [("WaveAuto", "MENU", "Switch between the waveform and the effects pages"),
               ("Wave1s", "1 s", None), ("Wave4s", "4 s", None), ("Wave16s", "16 s", None),
               ("WaveFreeze", "FREEZE", "Hold the waveform"), ("WaveRetrigger", "RETRIGGER", "Wait for the next kick")]
    c = [header_button(name, 8, 8 + 30 * i, 118, 26, title, tooltip=tip) for i, (name, title, tip) in enumerate(buttons)]
    c.append(custom("OutputWaveform", 134, 5, 1610, 184))
    c.append(custom("OutputGateWorkspace", 134, 5, 1610, 184))
    return module(10, 866, 1750, 194, None, a, c)


def template():
    children = [custom("SignalFlowRail", *RAIL, mouse_enabled="false")]
    children += flatten(header(), kick(), osc_layer(), wave_layer(), lfo(1, 440), lfo(2, 840), output_level(),
                        layer_mix(), envelope(), kick_filter(), compressor(), rumble(), space_column(),
                        main_filter(), gain(), sequencer(), tail_gate(),
                        mod_lfo("VOLUME LFO", 1030, 102, 103), mod_lfo("PITCH LFO", 1400, 104, 105), wave_area())
    return {"attributes": {"class": "CViewContainer", "size": pt(WIDTH, HEIGHT), "background-color": "root"},
            "children": children}


def description():
    return {"vstgui-ui-description": {
        "version": "1",
        "bitmaps": {name: {"path": name + ".png"} for name in BITMAPS},
        "fonts": FONTS,
        "colors": COLOURS,
        "control-tags": {"Osc Layer Attack": "177"},
        "templates": {"view": template()},
    }}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "editor.uidesc")
    with open(out, "w", encoding="utf-8") as f:
        json.dump(description(), f, indent=1)
        f.write("\n")


if __name__ == "__main__":
    main()
