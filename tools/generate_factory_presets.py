#!/usr/bin/env python3
"""Generates plugin/FactoryPresetData.generated.inc, the transcribed factory preset data, from
the Markdown text that describes the factory preset table and its sounds.

usage: generate_factory_presets.py PRESETS.md [OUT_FILE]

What it reads:
  - the default pairs table (| # | ids | parameters | values |),
  - the list of the 42 override lists with their names and pair counts,
  - the own pairs of the 20 short lists (| # | name | own pairs |),
  - the id orders of the long lists and the block id order,
  - the step, tail step and sub step patterns of the blocks and long lists,
  - the "Manual Tempo" values of the long lists and blocks,
  - block 1 in full and block 2 as its difference from block 1.
Everything is cross-checked (counts, id orders, grids) before anything is written; the sound
design values of the other lists and blocks live in plugin/FactoryPresetDesign.inc, by hand.
Python 3 standard library only.
"""
import re
import struct
import sys
from fractions import Fraction
from pathlib import Path

STEP_IDS = list(range(200, 216))
TAIL_STEP_IDS = list(range(300, 308))
SUB_STEP_IDS = list(range(420, 436))
MANUAL_TEMPO = 154


def fail(message):
    raise SystemExit("generate_factory_presets: " + message)


def section(text, heading_words):
    """The text from the heading that ends with heading_words up to the next top-level heading."""
    m = re.search(r"^# [^\n]*" + re.escape(heading_words) + r"\s*$", text, re.M)
    if not m:
        fail(f"no heading ending in {heading_words!r}")
    rest = text[m.end():]
    n = re.search(r"^# ", rest, re.M)
    return rest[: n.start()] if n else rest


def table_rows(text, header_prefix):
    rows, inside = [], False
    for line in text.splitlines():
        if line.startswith(header_prefix):
            inside = True
            continue
        if inside:
            if not line.startswith("|"):
                break
            cells = [c.strip() for c in line.strip().strip("|").split("|")]
            if all(set(c) <= set("-: ") for c in cells):
                continue
            rows.append(cells)
    if not rows:
        fail(f"no table with header {header_prefix!r}")
    return rows


def value(token):
    """A normalized value written as a decimal or a fraction, as an exact double."""
    token = token.strip()
    if not re.fullmatch(r"\d+(\.\d+)?(/\d+)?", token):
        fail(f"not a value: {token!r}")
    v = float(Fraction(token))
    if not 0.0 <= v <= 1.0:
        fail(f"value outside [0, 1]: {token!r}")
    return v


def single(x):
    return struct.unpack("<f", struct.pack("<f", x))[0]


def strip_brackets(text):
    while True:
        t = re.sub(r"\([^()]*\)", "", text)
        if t == text:
            return re.sub(r"\s+", " ", t).strip()
        text = t


def id_runs(text):
    """'100-105, 155, 200-215' -> [100, ..., 105, 155, 200, ..., 215]"""
    ids = []
    for part in text.split(","):
        part = part.strip().rstrip(".")
        m = re.fullmatch(r"(\d+)-(\d+)", part)
        if m:
            a, b = int(m.group(1)), int(m.group(2))
            if b < a:
                fail(f"descending run {part!r}")
            ids += range(a, b + 1)
        elif re.fullmatch(r"\d+", part):
            ids.append(int(part))
        else:
            fail(f"not an id or run: {part!r}")
    return ids


def names(text):
    return re.findall(r'"([^"]*)"', text)


# --- defaults ---------------------------------------------------------------------------------

def parse_defaults(text):
    pairs = []
    for number, ids_cell, _params, values_cell in table_rows(text, "| # | ids | parameters | values |"):
        m = re.fullmatch(r"(\d+)-(\d+) in increasing order", ids_cell)
        ids = list(range(int(m.group(1)), int(m.group(2)) + 1)) if m else id_runs(ids_cell)
        vals = strip_brackets(values_cell)
        at = re.fullmatch(r"([\d./]+) at ([\d, ]+); ([\d./]+) at the other (\w+)", vals)
        if at:
            on = set(id_runs(at.group(2)))
            if not on <= set(ids):
                fail(f"row {number}: ids outside the row")
            row = [(i, value(at.group(1)) if i in on else value(at.group(3))) for i in ids]
        elif vals.endswith(" each"):
            row = [(i, value(vals[: -len(" each")])) for i in ids]
        else:
            tokens = [t for t in vals.split(",")]
            if len(tokens) != len(ids):
                fail(f"row {number}: {len(ids)} ids but {len(tokens)} values")
            row = [(i, value(t)) for i, t in zip(ids, tokens)]
        first, _, last = number.partition("-")
        expected = int(last or first) - int(first) + 1
        if len(row) != expected or int(first) != len(pairs) + 1:
            fail(f"row {number}: numbering does not match its {len(row)} pairs")
        pairs += row
    if len(pairs) != 85:
        fail(f"{len(pairs)} default pairs, expected 85")
    if any(i in STEP_IDS for i, _ in pairs):
        fail("the defaults must not carry steps")
    return pairs


# --- override lists ---------------------------------------------------------------------------

def parse_override_list_names(text):
    m = re.search(r"The 42 override lists, in list order[^\n]*\n((?:- [^\n]*\n)+)", text)
    if not m:
        fail("no list of the 42 override lists")
    lists = []  # (position, name, own pair count)
    for line in m.group(1).splitlines():
        line = line[2:]
        shared = re.search(r": (\d+) own pairs each\.$", line)
        body = line[: shared.start()] if shared else line
        for item in body.split(";"):
            im = re.fullmatch(r'\s*(\d+) "([^"]+)"(?: (\d+))?\.?\s*', item)
            if not im:
                fail(f"bad override list item {item!r}")
            count = int(im.group(3)) if im.group(3) else (int(shared.group(1)) if shared else None)
            if count is None:
                fail(f"no pair count for {im.group(2)!r}")
            lists.append((int(im.group(1)), im.group(2), count))
    if [p for p, _, _ in lists] != list(range(1, 43)):
        fail("override lists are not numbered 1-42")
    return lists


def parse_short_lists(text, override_lists):
    rows = table_rows(text, "| # | name | own pairs |")
    short = []
    for (position, name, count), row in zip(override_lists[:20], rows):
        number, row_name, cell = row
        if int(number) != position or names(row_name) != [name]:
            fail(f"short list {number} {row_name} out of order")
        pairs = []
        for item in cell.split(","):
            im = re.fullmatch(r"\s*(\d+) ([\d./]+)\s*", item)
            if not im:
                fail(f"bad pair {item!r} in {name}")
            pairs.append((int(im.group(1)), value(im.group(2))))
        if len(pairs) != count:
            fail(f"{name}: {len(pairs)} pairs, listed with {count}")
        short.append((name, pairs))
    if len(short) != 20:
        fail("expected 20 short lists")
    return short


def parse_orders(text):
    m = re.search(r"- 103 pairs \(lists 21-40\): ([^\n]*)", text)
    order103 = id_runs(m.group(1))
    m = re.search(r"- 107 pairs \(lists 41, 42\): the same with (\d+)-(\d+) inserted between (\d+) and (\d+)\.", text)
    a, b, before, after = (int(x) for x in m.groups())
    at = order103.index(before)
    if order103[at + 1] != after:
        fail("107-pair insertion point not adjacent")
    order107 = order103[: at + 1] + list(range(a, b + 1)) + order103[at + 1:]
    m = re.search(r"`factoryPresetBlockIds`, the 157 ids of every block in this order: ([^\n]*?)\. This", text)
    block_ids = id_runs(m.group(1))
    if (len(order103), len(order107), len(block_ids)) != (103, 107, 157):
        fail("id order lengths")
    for order in (order103, order107, block_ids):
        if len(set(order)) != len(order):
            fail("an id order repeats an id")
    # The long-list orders are the block order without some runs; check that statement too.
    m = re.search(r"this order without ([\d\-, and]+) \(103 pairs\) or without ([\d\-, and]+) \(107 pairs\)", text)
    for cell, order in ((m.group(1), order103), (m.group(2), order107)):
        dropped = set(id_runs(cell.replace(" and ", ", ")))
        if [i for i in block_ids if i not in dropped] != order:
            fail("long-list order is not the block order without the stated ids")
    return order103, order107, block_ids


def step_pattern(text):
    if text == "all off":
        return "-" * 16
    if not re.fullmatch(r"[FH-]{16}", text):
        fail(f"bad step pattern {text!r}")
    return text


def switch_pattern(text, length):
    if not re.fullmatch(r"[X-]{%d}" % length, text):
        fail(f"bad pattern {text!r}")
    return text


def parse_blocks(text):
    blocks = []
    for number, name, steps, tails, subs in table_rows(text, "| block | name | steps |"):
        if int(number) != len(blocks) + 1:
            fail("blocks out of order")
        blocks.append(dict(name=names(name)[0], steps=step_pattern(steps),
                           tails=switch_pattern(tails, 8), subs=switch_pattern(subs, 16)))
    if len(blocks) != 16:
        fail("expected 16 blocks")
    return blocks


def parse_long_patterns(text, override_lists):
    patterns = {}
    for span, row_names, steps, tails in table_rows(text, "| list | name | own steps | tail steps |"):
        first, _, last = span.partition("-")
        positions = list(range(int(first), int(last or first) + 1))
        row_names = names(row_names)
        if len(positions) != len(row_names):
            fail(f"list row {span}: names do not match positions")
        for position, name in zip(positions, row_names):
            if override_lists[position - 1][1] != name:
                fail(f"list {position} is {override_lists[position - 1][1]!r}, not {name!r}")
            patterns[position] = dict(steps=step_pattern(steps), tails=switch_pattern(tails, 8))
    if sorted(patterns) != list(range(21, 43)):
        fail("patterns must cover lists 21-42")
    return patterns


def parse_manual_tempo(text):
    m = re.search(r'Lists (\d+)-(\d+) store "Manual Tempo" \(154\) as ([\d.]+), all other long lists '
                  r'and all blocks as ([\d.]+)\.', text)
    if not m:
        fail("no Manual Tempo statement")
    a, b = int(m.group(1)), int(m.group(2))
    return {p: value(m.group(3)) if a <= p <= b else value(m.group(4)) for p in range(21, 43)}, value(m.group(4))


def pattern_values(block):
    step = {"F": 1.0, "H": 0.5, "-": 0.0}
    switch = {"X": 1.0, "-": 0.0}
    values = {}
    values.update({i: step[c] for i, c in zip(STEP_IDS, block["steps"])})
    values.update({i: switch[c] for i, c in zip(TAIL_STEP_IDS, block["tails"])})
    if "subs" in block:
        values.update({i: switch[c] for i, c in zip(SUB_STEP_IDS, block["subs"])})
    return values


def parse_block1(text, block_ids, block):
    m = re.search(r"Block 1, \"([^\"]+)\", in full \([^)]*\): ([^\n]*)", text)
    if m.group(1) != block["name"]:
        fail("block 1 name")
    patterns = pattern_values(block)
    items = []  # (id, value) in the order given
    for raw in m.group(2).split(";"):
        item = raw.strip().rstrip(".")
        sp = re.search(r"\(([\d.]+) in single precision\)|\(([\d/]+) in single precision\)", item)
        plain = strip_brackets(item)
        run = re.fullmatch(r"(\d+)-(\d+) ([\d./]+) each", plain)
        pat = re.fullmatch(r"(\d+)-(\d+)(?: and (\d+)-(\d+))? as its (?:sub step pattern|patterns) above", plain)
        one = re.fullmatch(r"(\d+) ([\d./]+)", plain)
        if run:
            items += [(i, value(run.group(3))) for i in range(int(run.group(1)), int(run.group(2)) + 1)]
        elif pat:
            ids = list(range(int(pat.group(1)), int(pat.group(2)) + 1))
            if pat.group(3):
                ids += range(int(pat.group(3)), int(pat.group(4)) + 1)
            items += [(i, patterns[i]) for i in ids]
        elif one:
            v = value(one.group(2))
            if sp and sp.group(2):
                # Stored as the single-precision image of the fraction in brackets.
                if abs(v - single(float(Fraction(sp.group(2))))) > 1e-15:
                    fail(f"block 1 {item!r}: value is not the single-precision fraction")
            items.append((int(one.group(1)), v))
        else:
            fail(f"block 1: cannot read {item!r}")
    # The tail and step patterns come last in the text but belong where the id order puts them.
    by_id = dict(items)
    if len(by_id) != len(items) or sorted(by_id) != sorted(block_ids):
        fail("block 1 does not set exactly the block ids")
    if [i for i, _ in items] != block_ids:
        fail("block 1 is not given in block id order")
    for i, v in patterns.items():
        if by_id[i] != v:
            fail(f"block 1 id {i} disagrees with its pattern")
    return [by_id[i] for i in block_ids]


def parse_block2(text, block_ids, block1, block):
    m = re.search(r"Block 2, \"([^\"]+)\", equals block 1 except ([^\n]*)", text)
    if m.group(1) != block["name"]:
        fail("block 2 name")
    body = m.group(2).rstrip(".")
    values = list(block1)
    for item in re.split(r",| and ", body):
        item = item.strip()
        sp = re.fullmatch(r"(\d+) (\d+/\d+) in single precision \(([\d.]+)\)", item)
        one = re.fullmatch(r"(\d+) ([\d./]+)", item)
        if sp:
            pid, v = int(sp.group(1)), value(sp.group(3))
            if abs(v - single(float(Fraction(sp.group(2))))) > 1e-15:
                fail(f"block 2 {item!r}: not the single-precision fraction")
        elif one:
            pid, v = int(one.group(1)), value(one.group(2))
        else:
            fail(f"block 2: cannot read {item!r}")
        values[block_ids.index(pid)] = v
    if pattern_values(block) != {i: values[block_ids.index(i)] for i in pattern_values(block)}:
        fail("block 2 patterns differ from block 1's")
    return values


# --- output -----------------------------------------------------------------------------------

def fmt(x):
    r = repr(float(x))
    return r if ("." in r or "e" in r) else r + ".0"


def c_string(s):
    return '"' + s.replace("\\", "\\\\").replace('"', '\\"') + '"'


def wrap(items, indent="    ", width=100):
    lines, line = [], indent
    for it in items:
        item = it + ","
        if len(line) + len(item) + 1 > width and line.strip():
            lines.append(line.rstrip())
            line = indent
        line += item + " "
    if line.strip():
        lines.append(line.rstrip())
    return lines


def pairs_code(pairs):
    return wrap([f"{{{i}, {fmt(v)}}}" for i, v in pairs])


def write(out, defaults, short, override_lists, orders, blocks, long_patterns, manual, block_manual,
          block_values):
    order103, order107, block_ids = orders
    o = ["// Generated by tools/generate_factory_presets.py from the preset tables; do not edit.",
         "// Transcribed values only. The sound design of the other lists and blocks is in",
         "// FactoryPresetDesign.inc. Included once, by FactoryPresetSources.cpp.",
         ""]
    o.append("// The head of every override preset, in this order.")
    o.append(f"constexpr PresetParameterValue kFactoryPresetDefaults[{len(defaults)}] = {{")
    o += pairs_code(defaults)
    o += ["};", ""]
    o.append("// Own pairs of the 20 short override lists, one list after another.")
    flat = [p for _, pairs in short for p in pairs]
    o.append(f"constexpr PresetParameterValue kShortOverridePairs[{len(flat)}] = {{")
    first = 0
    spans = []
    for name, pairs in short:
        o.append(f"    // {name}")
        o += pairs_code(pairs)
        spans.append((name, first, len(pairs)))
        first += len(pairs)
    o += ["};", ""]
    o.append("// Override lists 1-20: name, first pair in kShortOverridePairs, pair count.")
    o.append(f"constexpr ShortOverrideList kShortOverrideLists[{len(spans)}] = {{")
    o += [f"    {{{c_string(n)}, {f}, {c}}}," for n, f, c in spans]
    o += ["};", ""]
    o.append("// The id order of override lists 21-40 (103 pairs) and 41-42 (107 pairs).")
    o.append(f"constexpr uint32_t kLongListIds103[{len(order103)}] = {{")
    o += wrap([str(i) for i in order103])
    o += ["};", ""]
    o.append(f"constexpr uint32_t kLongListIds107[{len(order107)}] = {{")
    o += wrap([str(i) for i in order107])
    o += ["};", ""]
    o.append("// Override lists 21-42: name, own pair count, steps (F full, H half, - off), tail steps")
    o.append("// (X on), stored \"Manual Tempo\".")
    o.append("constexpr LongOverrideList kLongOverrideLists[22] = {")
    for position in range(21, 43):
        _, name, count = override_lists[position - 1]
        p = long_patterns[position]
        o.append(f"    {{{c_string(name)}, {count}, \"{p['steps']}\", \"{p['tails']}\", {fmt(manual[position])}}},")
    o += ["};", ""]
    o.append("// Value i of every block belongs to id i of this order.")
    o.append(f"constexpr uint32_t kFactoryPresetBlockIds[{len(block_ids)}] = {{")
    o += wrap([str(i) for i in block_ids])
    o += ["};", ""]
    o.append("// Blocks 1-16: name, steps, tail steps, sub steps (F full, H half, X on, - off), stored")
    o.append("// \"Manual Tempo\".")
    o.append("constexpr FactoryPresetBlockPatterns kFactoryPresetBlockPatterns[16] = {")
    for b in blocks:
        o.append(f"    {{{c_string(b['name'])}, \"{b['steps']}\", \"{b['tails']}\", \"{b['subs']}\", {fmt(block_manual)}}},")
    o += ["};", ""]
    o.append("// Blocks 1 and 2 in full, in kFactoryPresetBlockIds order.")
    o.append(f"constexpr double kTranscribedFactoryPresetBlocks[{len(block_values)}][{len(block_ids)}] = {{")
    for b, vals in zip(blocks, block_values):
        o.append(f"    {{ // {b['name']}")
        o += wrap([fmt(v) for v in vals], indent="        ")
        o.append("    },")
    o += ["};", ""]
    out.write_text("\n".join(o))


def main():
    if len(sys.argv) not in (2, 3):
        raise SystemExit(__doc__)
    text = Path(sys.argv[1]).read_text(encoding="utf-8")
    out = Path(sys.argv[2]) if len(sys.argv) == 3 else \
        Path(__file__).resolve().parent.parent / "plugin" / "FactoryPresetData.generated.inc"
    table = section(text, "Factory preset table")
    sounds = section(text, "Factory preset sounds")

    defaults = parse_defaults(table)
    override_lists = parse_override_list_names(sounds)
    short = parse_short_lists(sounds, override_lists)
    if any(i in STEP_IDS for _, pairs in short for i, _ in pairs):
        fail("a short list sets a step")
    orders = parse_orders(sounds)
    for position, _, count in override_lists[20:]:
        expected = 103 if position <= 40 else 107
        if count != expected:
            fail(f"list {position} listed with {count} pairs")
    blocks = parse_blocks(sounds)
    long_patterns = parse_long_patterns(sounds, override_lists)
    manual, block_manual = parse_manual_tempo(sounds)
    block1 = parse_block1(sounds, orders[2], blocks[0])
    block2 = parse_block2(sounds, orders[2], block1, blocks[1])
    if block1[orders[2].index(MANUAL_TEMPO)] != block_manual:
        fail("block 1 Manual Tempo")
    excluded = {127, 128, 153, 440}
    for _, pairs in short:
        if excluded & {i for i, _ in pairs}:
            fail("a short list names an excluded id")
    write(out, defaults, short, override_lists, orders, blocks, long_patterns, manual, block_manual,
          [block1, block2])
    print(f"wrote {out}")


if __name__ == "__main__":
    main()
