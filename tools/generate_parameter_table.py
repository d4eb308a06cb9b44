#!/usr/bin/env python3
"""Generates engine/ParameterIds.h and engine/ParameterTable.generated.inc from the
Markdown parameter table (registration order) given on the command line.

usage: generate_parameter_table.py TABLE.md OUT_DIR

The table rows look like
  | Order | Id | Title | Kind | Unit | Range | Default |
with a few compressed rows (id ranges, "as orders 23-26", ".." title ranges).
"""
import re
import sys
from pathlib import Path

LFO_WORDS = ["Shape", "Phase", "Retrig", "Smooth"]


def enum_name(title, pid):
    if title.startswith("LFO 1 Shape"):
        return "kLfo1" + LFO_WORDS[pid - 163]
    if title.startswith("LFO 2 Shape"):
        return "kLfo2" + LFO_WORDS[pid - 167]
    words = re.split(r"[^A-Za-z0-9]+", title)
    return "k" + "".join(w[:1].upper() + w[1:] for w in words if w)


def strings(cell):
    return re.findall(r'"([^"]*)"', cell)


def number(text):
    return float(text.strip())


def parse_rows(text):
    rows = []
    in_table = False
    for line in text.splitlines():
        if line.startswith("| Order | Id | Title |"):
            in_table = True
            continue
        if in_table:
            if not line.startswith("|"):
                break
            cells = [c.strip() for c in line.strip().strip("|").split("|")]
            if set(cells[0]) <= set("-"):
                continue
            rows.append(cells)
    return rows


def wave_entries(text):
    m = re.search(r'"Wave Layer Waveform" entries, in order \(index 0-23\): (.*?)\. Its', text)
    return strings(m.group(1))


def expand(rows, text):
    params = []  # dicts in registration order
    by_order = {}
    seen = set()
    for cells in rows:
        order, ids, title, kind, unit, rng, default = (cells + [""] * 7)[:7]
        key = (order, ids)
        if key in seen:
            continue  # the table repeats one compressed row
        seen.add(key)
        if "-" in ids:
            first, last = (int(x) for x in ids.split("-"))
            id_list = list(range(first, last + 1))
        else:
            id_list = [int(ids)]
        titles = strings(title)
        if ".." in title and len(titles) == 2:
            base = re.sub(r"\s*\d+$", "", titles[0])
            titles = [f"{base} {i + 1}" for i in range(len(id_list))]
        elif len(titles) == 1 and len(id_list) > 1:
            titles = titles * len(id_list)
        if kind.startswith("as orders"):
            a, b = (int(x) for x in re.findall(r"\d+", kind))
            for i, pid in enumerate(id_list):
                src = dict(by_order[a + i])
                src.update(id=pid, title=titles[i])
                params.append(src)
            continue
        defaults = [d.strip() for d in default.split(",")]
        for i, pid in enumerate(id_list):
            p = dict(id=pid, title=titles[i], unit=(strings(unit) or [""])[0],
                     entries=[], minp=0.0, maxp=1.0, defp=0.0, precision=4,
                     flags=1, kind=None)
            if kind.startswith("logarithmic"):
                p["kind"] = "LogRange"
            elif kind.startswith("range"):
                p["kind"] = "Range"
            elif kind.startswith("list"):
                p["kind"] = "List"
                p["flags"] = 9
            elif kind.startswith("toggle"):
                p["kind"] = "Toggle"
            elif kind.startswith("three-state"):
                p["kind"] = "Step"
            elif kind.startswith("action"):
                p["kind"] = "Action"
                p["flags"] = 16 if "hidden" in kind else 0
            else:
                raise SystemExit(f"unknown kind {kind!r}")
            if p["kind"] in ("Range", "LogRange"):
                lo, hi = rng.split("..")
                p["minp"], p["maxp"] = number(lo), number(hi)
                d = defaults[i] if len(defaults) == len(id_list) else defaults[0]
                pm = re.match(r"\s*([-0-9.]+)\s*(\(precision (\d+)\))?", d)
                p["defp"] = number(pm.group(1))
                if pm.group(3):
                    p["precision"] = int(pm.group(3))
            elif p["kind"] == "List":
                if rng.startswith("same four"):
                    p["entries"] = list(params[-1]["entries"])
                elif rng.startswith("24 entries"):
                    p["entries"] = wave_entries(text)
                else:
                    p["entries"] = strings(rng)
                p["maxp"] = float(len(p["entries"]) - 1)
            elif p["kind"] in ("Toggle", "Step"):
                p["defp"] = toggle_default(default, i, p["kind"])
                p["maxp"] = 1.0
            params.append(p)
            by_order[int(order.split("-")[0]) + i] = p
    return params


def toggle_default(default, index, kind):
    step_no = index + 1
    if default.startswith("on (1.0)"):
        return 1.0
    if default == "off":
        return 0.0
    m = re.match(r"(?:on|1\.0 \(FULL\)) for steps ([\d, ]+);", default)
    if m:
        on_steps = {int(x) for x in m.group(1).split(",")}
        return 1.0 if step_no in on_steps else 0.0
    raise SystemExit(f"unknown toggle default {default!r}")


def c_string(s):
    return '"' + s.replace("\\", "\\\\").replace('"', '\\"') + '"'


def fmt(x):
    r = repr(float(x))
    return r if ("." in r or "e" in r) else r + ".0"


def write(params, out):
    assert len(params) == 161, len(params)
    assert len({p["id"] for p in params}) == 161
    names = [enum_name(p["title"], p["id"]) for p in params]
    ids_h = ["// Generated by tools/generate_parameter_table.py; do not edit.",
             "#pragma once", "", "#include <cstdint>", "",
             "namespace TarnwellPlugin {", "",
             "// Parameter tags: one id names one parameter everywhere (host, engine, state, presets, editor).",
             "enum ParamId : uint32_t {"]
    for p, n in sorted(zip(params, names), key=lambda t: t[0]["id"]):
        ids_h.append(f"    {n} = {p['id']},")
    ids_h += ["};", "", "constexpr int32_t kParameterCount = 161;", "", "} // namespace TarnwellPlugin", ""]
    (out / "ParameterIds.h").write_text("\n".join(ids_h))

    inc = ["// Generated by tools/generate_parameter_table.py; do not edit.",
           "// Registration order. Fields: id, title, kind, unit, min, max, default (plain), precision, flags, entries."]
    lists = []
    for p, n in zip(params, names):
        if p["entries"]:
            arr = f"k{n[1:]}Entries"
            qualified = "ParameterTableData::" + arr
            lists.append(f"inline constexpr const char* {arr}[] = {{" + ", ".join(c_string(e) for e in p["entries"]) + "};")
            p["entries_ref"] = (qualified, len(p["entries"]))
    inc.append("#ifdef PARAMETER_TABLE_ENTRY_LISTS")
    inc += lists
    inc.append("#else")
    for p, n in zip(params, names):
        arr, cnt = p.get("entries_ref", ("nullptr", 0))
        inc.append(f"{{{n}, {c_string(p['title'])}, ParamKind::{p['kind']}, {c_string(p['unit'])}, "
                   f"{fmt(p['minp'])}, {fmt(p['maxp'])}, {fmt(p['defp'])}, {p['precision']}, {p['flags']}, {arr}, {cnt}}},")
    inc.append("#endif")
    inc.append("")
    (out / "ParameterTable.generated.inc").write_text("\n".join(inc))


def main():
    src = Path(sys.argv[1]).read_text()
    out = Path(sys.argv[2])
    params = expand(parse_rows(src), src)
    write(params, out)


if __name__ == "__main__":
    main()
