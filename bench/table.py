"""Prints the benchmark results as a table, each figure with its baseline and the ratio."""
import json
import sys

PAIRS = {
    "Load_Layout": "Baseline_BareRead",
    "LayoutDraw_Densest": "Baseline_BareFill",
    "Library_2000Songs": "Baseline_BareSummaryLoop",
    "Startup_ToFirstPaint": "Baseline_ProcessStart",
    "Import_Midi": "Baseline_BareMidiDecode",
    "AbcList_1000Tunes": "Baseline_AbcScanForX",
    "Print_VectorPage": "Print_BitmapPage",
    "Print_TrueScaleA4": "Print_FitA3",
    "Print_DensestWithWords": "Print_DensestWithoutWords",
    "Import_MusicXml": "Baseline_PugixmlParse",
    "Import_Mxl": "Baseline_UnzipParse",
    "Audio_ThreeMinuteTune": "Baseline_SynthFrames",
    "Route_HostileRepeats": "Baseline_LayOutAsPlayed",
    "Voices_FourLayoutAndPlan": "Voices_MelodyLayoutAndPlan",
    "LoadFitLayOut_200Measures_FourVoices": "LoadFitLayOut_200Measures_Melody",
}
TO_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}

runs = json.load(open(sys.argv[1]))["benchmarks"]


def plain(name):
    return "/".join(p for p in name.split("/") if not p.startswith(("iterations:", "manual_time")))


times = {plain(r["name"]): r for r in runs}


def ms(run):
    return run["real_time"] * TO_MS[run["time_unit"]]


print(f"{'work':<42}{'time ms':>12}{'baseline':>34}{'base ms':>11}{'ratio':>8}")
for name, run in times.items():
    if name.startswith("Baseline_"):
        continue
    family, _, arg = name.partition("/")
    base_name = PAIRS.get(family)
    base = times.get(base_name + ("/" + arg if arg else "")) if base_name else None
    line = f"{name:<42}{ms(run):>12.4f}"
    if base:
        line += f"{plain(base['name']):>34}{ms(base):>11.4f}{ms(run) / ms(base):>8.2f}"
    extras = {k: v for k, v in run.items() if k in ("first_song_ms", "complete_ms", "notes", "tunes", "sheets")}
    if extras:
        line += "   " + " ".join(f"{k}={v:.3f}" for k, v in extras.items())
    print(line)
