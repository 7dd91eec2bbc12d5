"""Writes BENCHMARKS.md from the raw results of scripts/benchmark.sh.

Run by that script with Debian's Python, which has pefile; it passes the
paths and the run's settings in BENCH_* environment variables.
"""

import csv
import datetime
import os
import pathlib
import random
import statistics
import subprocess

import pefile

ROOT = pathlib.Path(os.environ["BENCH_ROOT"])
BUILD = pathlib.Path(os.environ["BENCH_BUILD"])
RESULTS = pathlib.Path(os.environ["BENCH_RESULTS"])

HANDOFF_GOAL = 1.05
APPLET_GOAL = 1.10
SIZE_GOAL_KIB = 64


def quartiles(values):
    q = statistics.quantiles(values, n=4, method="inclusive")
    return q[0], q[2]


def cpu_model():
    for line in pathlib.Path("/proc/cpuinfo").read_text().splitlines():
        if line.startswith("model name"):
            return line.split(":", 1)[1].strip()
    return "unknown"


def how_32_bit_code_runs():
    """Names qemu-user when the kernel hands 32-bit programs to it."""
    entry = pathlib.Path("/proc/sys/fs/binfmt_misc/qemu-i386")
    if entry.exists() and entry.read_text().startswith("enabled"):
        try:
            version = subprocess.run(
                ["qemu-i386", "--version"], capture_output=True, text=True,
                check=False).stdout.splitlines()[0]
        except (OSError, IndexError):
            version = "qemu-i386"
        return (f"32-bit x86 code (Wine's 32-bit loader and every Windows "
                f"process) runs through qemu-user ({version}), so each "
                f"process is much slower than on real hardware; the ratios "
                f"are what carry over")
    return "32-bit x86 code runs natively"


def read_handoff():
    """Per variant: hand-off, until-created and start-up lists; per round:
    the hand-off and the until-created time of each variant."""
    runs = {}
    by_round = {}
    created_by_round = {}
    with open(RESULTS / "handoff.csv", newline="") as f:
        for round_, variant, handoff, created, startup in csv.reader(f):
            parts = runs.setdefault(variant, ([], [], []))
            for part, value in zip(parts, (handoff, created, startup)):
                part.append(float(value))
            by_round.setdefault(int(round_), {})[variant] = float(handoff)
            created_by_round.setdefault(int(round_), {})[variant] = float(created)
    return runs, by_round, created_by_round


def read_steps(name):
    """Lists of microseconds by pass ("first", "warm", "whatif") and step."""
    passes = {}
    with open(RESULTS / name, newline="") as f:
        for pass_, step, micros in csv.reader(f):
            passes.setdefault(pass_, {}).setdefault(step, []).append(
                float(micros))
    return passes


def bootstrap(groups, numerator, denominator, paired):
    """95% interval of the ratio of medians (or of the median paired ratio),
    resampling whole rounds so that each keeps its pairing."""
    rounds = [g for g in groups.values() if numerator in g and denominator in g]
    rng = random.Random(1)
    estimates = []
    for _ in range(2000):
        pick = [rng.choice(rounds) for _ in rounds]
        if paired:
            estimates.append(statistics.median(
                g[numerator] / g[denominator] for g in pick))
        else:
            estimates.append(statistics.median(g[numerator] for g in pick) /
                             statistics.median(g[denominator] for g in pick))
    estimates.sort()
    return estimates[int(0.025 * len(estimates))], estimates[int(0.975 * len(estimates)) - 1]


def read_applet():
    totals = {}
    by_sample = {}
    phases = {}
    with open(RESULTS / "applet.csv", newline="") as f:
        for row in csv.reader(f):
            if row[0] == "total":
                sample, applet, micros = int(row[1]), int(row[2]), float(row[3])
                totals.setdefault(applet, []).append(micros)
                by_sample.setdefault(sample, {})[applet] = micros
            elif row[0] == "phase":
                applet = int(row[2])
                phases.setdefault(applet, []).append([float(x) for x in row[3:]])
    return totals, by_sample, phases


def paired_ratios(groups, numerator, denominator):
    return [g[numerator] / g[denominator] for g in groups.values()
            if numerator in g and denominator in g]


def imports(path):
    pe = pefile.PE(str(path), fast_load=True)
    pe.parse_data_directories(directories=[
        pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"]])
    return [entry.dll.decode() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]


def ms(micros):
    return f"{micros / 1000:.1f}"


def main():
    rounds = int(os.environ["BENCH_ROUNDS"])
    samples = int(os.environ["BENCH_SAMPLES"])
    iterations = int(os.environ["BENCH_ITERATIONS"])
    step_runs = int(os.environ["BENCH_STEP_RUNS"])
    seconds = int(os.environ["BENCH_SECONDS"])

    runs, by_round, created_by_round = read_handoff()
    variants = ("launcher", "floor", "cmd_start")
    for variant in variants:
        if len(runs.get(variant, ([],))[0]) < 20:
            raise SystemExit(f"report: too few hand-off runs for {variant}")
    median = {v: statistics.median(runs[v][0]) for v in variants}
    created = {v: statistics.median(runs[v][1]) for v in variants}
    startup = {v: statistics.median(runs[v][2]) for v in variants}
    launcher_ratio = median["launcher"] / median["floor"]
    launcher_low, launcher_high = bootstrap(by_round, "launcher", "floor", False)
    launcher_paired = statistics.median(
        paired_ratios(by_round, "launcher", "floor"))
    created_ratio = created["launcher"] / created["floor"]
    created_low, created_high = bootstrap(
        created_by_round, "launcher", "floor", False)
    cmd_ratio = median["cmd_start"] / median["floor"]
    launcher_vs_cmd = median["launcher"] / median["cmd_start"]

    launcher_passes = read_steps("launcher_steps.csv")
    first = launcher_passes.get("first", {})
    warm = launcher_passes.get("warm", {})
    size_precheck = statistics.median(
        launcher_passes["whatif"]["size_precheck"])
    step_names = {
        "load_advapi32": "ADVAPI32 loaded (the launcher's loader does it "
                         "before WinMain; here with LoadLibrary)",
        "startup": "`Engine::StartUp`: product record and arguments",
        "own_name": "own file name (GetModuleFileName)",
        "same_file": "file identity check against the record (`IsSameFile`)",
        "command_line": "quoted command line",
    }
    for step in step_names:
        if len(first.get(step, [])) < 20:
            raise SystemExit(f"report: too few runs of step {step}")
    steps_first = {s: statistics.median(first[s]) for s in step_names}
    steps_total = sum(steps_first.values())

    totals, by_sample, phases = read_applet()
    if len(totals.get(0, [])) < 20 or len(totals.get(1, [])) < 20:
        raise SystemExit("report: too few applet samples")
    applet_median = statistics.median(totals[0])
    minimal_median = statistics.median(totals[1])
    applet_ratio = applet_median / minimal_median
    applet_paired = statistics.median(paired_ratios(by_sample, 0, 1))
    applet_low, applet_high = bootstrap(by_sample, 0, 1, False)

    out = []
    add = out.append
    add("# Benchmarks")
    add("")
    add("Written by one command, run from the repository:")
    add("")
    add("```sh")
    add("scripts/benchmark.sh")
    add("```")
    add("")
    add("It builds the `windows` preset into `build/bench`, makes its own Wine "
        "prefix there, starts a warm wineserver and measures everything "
        "below in one run. Raw results: `build/bench/results/`. No test "
        "depends on any of these timings.")
    add("")
    add("## This run")
    add("")
    add(f"- Date: {datetime.datetime.now(datetime.timezone.utc):%Y-%m-%d %H:%M} UTC")
    add(f"- Machine: {cpu_model()}, {os.cpu_count()} cores; "
        f"load average {os.environ['BENCH_LOAD']}")
    add(f"- Wine: {os.environ['BENCH_WINE']}, warm wineserver, no display")
    add(f"- {how_32_bit_code_runs()}.")
    add(f"- Whole run, build included: {seconds} s")
    add("")
    add("Every figure is a median. Variants run round-robin, each round "
        "starting one variant further on, so drift and other load on the "
        "machine hit all of them alike. *Paired* ratios are the median of "
        "the per-round (per-sample) ratios; 95% intervals come from "
        "resampling whole rounds.")
    add("")
    add(f"## Launcher hand-off ({rounds} rounds after 2 warm-up rounds)")
    add("")
    add("From just before CreateProcess in a driver until the entry point of "
        "a stand-in main program (no C runtime, so its first instruction "
        "reads the clock), both on QueryPerformanceCounter. Every variant "
        "hands the stand-in, in a folder with spaces, the same two "
        "arguments, one with a space; the driver checks they arrived and "
        "waits for every process of the run to end before the next. The "
        "hand-off splits, on the system clock, into the time until the "
        "main program's process is created (what the starting program costs) "
        "and the main program's own start-up (the same whoever starts it).")
    add("")
    add("| Variant | Hand-off ms | Quartiles ms | Ratio to floor | "
        "Paired ratio | Until created ms | Main start-up ms |")
    add("|---|---:|---:|---:|---:|---:|---:|")
    names = {
        "launcher": "`launcher.exe ARGS`",
        "floor": "floor: bare `WinExec` of `\"PATH\" ARGS`",
        "cmd_start": "`cmd /c start \"\" \"PATH\" ARGS`",
    }
    for variant in variants:
        lo, hi = quartiles(runs[variant][0])
        paired = statistics.median(paired_ratios(by_round, variant, "floor"))
        ratio = f"{median[variant] / median['floor']:.3f}"
        if variant == "launcher":
            ratio += f" ({launcher_low:.3f}–{launcher_high:.3f})"
        add(f"| {names[variant]} | {ms(median[variant])} | {ms(lo)}–{ms(hi)} "
            f"| {ratio} | {paired:.3f} | {ms(created[variant])} "
            f"| {ms(startup[variant])} |")
    add("")
    add(f"The launcher's own work before WinExec, timed step by step inside "
        f"one process with the product's code (`launcher_steps`, {step_runs} "
        f"processes; the first pass is what a launcher pays, the warm "
        f"median shows how much of that is first-call cost):")
    add("")
    add("| Step | First pass ms | Warm ms |")
    add("|---|---:|---:|")
    for step, name in step_names.items():
        warm_cell = (f"{statistics.median(warm[step]) / 1000:.2f}"
                     if step in warm else "–")
        add(f"| {name} | {steps_first[step] / 1000:.2f} | {warm_cell} |")
    add(f"| **all steps** | **{steps_total / 1000:.2f}** "
        f"({100 * steps_total / median['floor']:.1f}% of the floor's "
        f"hand-off) | |")
    add(f"| *for comparison, not in the launcher: file sizes compared first "
        f"(GetFileAttributesExA on both paths)* | | "
        f"*{size_precheck / 1000:.2f}* |")
    add("")
    add(f"## Applet in a host ({samples} samples of {iterations} listings)")
    add("")
    add("One listing: LoadLibrary, CPlApplet INIT, GETCOUNT, NEWINQUIRE, "
        "FreeLibrary, every answer checked. The host has ADVAPI32, USER32, "
        "GDI32, SHELL32 and COMCTL32 loaded beforehand, as a Control Panel "
        "does, and destroys the icons it was handed between samples, with "
        "the clock stopped. The minimal applet answers the same (INIT 1, GETCOUNT 1, the "
        "same name and description, icon 0) without reading anything.")
    add("")
    add("| Applet | Median ms per listing | Quartiles ms | Ratio | Paired ratio |")
    add("|---|---:|---:|---:|---:|")
    for index, name in ((0, "`Vellupanel.cpl`"), (1, "minimal applet")):
        lo, hi = quartiles(totals[index])
        m = statistics.median(totals[index])
        ratio = f"{m / minimal_median:.3f}"
        if index == 0:
            ratio += f" ({applet_low:.2f}–{applet_high:.2f})"
        add(f"| {name} | {ms(m)} | {ms(lo)}–{ms(hi)} | {ratio} | "
            f"{applet_paired if index == 0 else 1.0:.3f} |")
    add("")
    add("Where the time goes (separate samples that read the clock around "
        "each step; median ms per listing):")
    add("")
    add("| Applet | LoadLibrary | INIT | GETCOUNT | NEWINQUIRE | FreeLibrary |")
    add("|---|---:|---:|---:|---:|---:|")
    phase_medians = {}
    for index, name in ((0, "`Vellupanel.cpl`"), (1, "minimal applet")):
        phase_medians[index] = [statistics.median(c)
                                for c in zip(*phases[index])]
        cells = " | ".join(f"{m / 1000:.2f}" for m in phase_medians[index])
        add(f"| {name} | {cells} |")
    add("")
    applet_passes = read_steps("applet_steps.csv")
    applet_warm = {k: statistics.median(v)
                   for k, v in applet_passes["warm"].items()}
    extract_icon = statistics.median(applet_passes["whatif"]["extract_icon"])
    add(f"The applet's first-call work on its own (`applet_steps`, median of "
        f"{os.environ['BENCH_APPLET_STEP_ITERATIONS']} repetitions in a host "
        f"with the same DLLs loaded):")
    add("")
    add("| Step | Warm ms |")
    add("|---|---:|")
    for step, name in (
            ("load_state", "`LoadAppletState` (record and icon)"),
            ("record", "product record"),
            ("icon", "shell icon (`SHGetFileInfoA`, `SHGFI_ICON`)"),
            ("exists", "file exists (INIT's answer)")):
        add(f"| {name} | {applet_warm[step] / 1000:.2f} |")
    add(f"| *for comparison, not in the applet: `ExtractIconExA`, first "
        f"large icon* | *{extract_icon / 1000:.2f}* |")
    add("")
    add("## Sizes and imports")
    add("")
    add("| File | Bytes | KiB | Imported DLLs |")
    add("|---|---:|---:|---|")
    files = (
        ("`launcher.exe`", BUILD / "launcher.exe"),
        ("`Vellupanel.cpl`", BUILD / "Vellupanel.cpl"),
        ("floor launcher (reference)", BUILD / "tests/bench/floor_launcher.exe"),
        ("minimal applet (reference)", BUILD / "tests/bench/minimal_applet.cpl"),
    )
    size_kib = {}
    for name, path in files:
        size = path.stat().st_size
        size_kib[name] = size / 1024
        add(f"| {name} | {size} | {size / 1024:.1f} | "
            f"{', '.join(imports(path))} |")
    add("")
    add("## Against the goals")
    add("")

    def verdict(value, goal, low, high):
        if high <= goal:
            return "meets the goal"
        if low > goal:
            return "misses the goal"
        word = "meets" if value <= goal else "misses"
        return (f"{word} the goal on its median, but the 95% interval "
                f"straddles it: this run cannot settle it")

    add(f"- **Launcher hand-off within 5% of the floor** (≤ {HANDOFF_GOAL}): "
        f"the launcher takes {launcher_ratio:.3f}× the floor's median "
        f"(95% interval {launcher_low:.3f}–{launcher_high:.3f}; paired "
        f"{launcher_paired:.3f}×), so it "
        f"{verdict(launcher_ratio, HANDOFF_GOAL, launcher_low, launcher_high)}. "
        f"What it does before WinExec costs {steps_total / 1000:.1f} ms when "
        f"timed on its own, {100 * steps_total / median['floor']:.1f}% of the "
        f"floor's {ms(median['floor'])} ms; of that, loading ADVAPI32 is "
        f"{steps_first['load_advapi32'] / 1000:.1f} ms and the file identity "
        f"check {steps_first['same_file'] / 1000:.1f} ms. The part of the "
        f"hand-off the starting program controls, until the main program's "
        f"process exists, takes the launcher {created_ratio:.3f}× the "
        f"floor's time (95% interval {created_low:.3f}–{created_high:.3f}). "
        f"On this machine the wall-clock ratios only resolve about "
        f"±{100 * (launcher_high - launcher_low) / 2:.0f}%, so the step "
        f"timings are the sharper evidence: the launcher's own work alone "
        f"uses about "
        f"{100 * (steps_total / median['floor']) / (HANDOFF_GOAL - 1):.0f}% "
        f"of the 5% budget, before its larger file, its manifest and the C++ "
        f"runtime's "
        f"start-up, which only the wall-clock figures include. Against `cmd /c "
        f"start` the launcher needs {launcher_vs_cmd:.2f}× the time "
        f"(`cmd /c start` takes {cmd_ratio:.2f}× the floor: cmd.exe and "
        f"start.exe are two more processes before the main program).")
    add(f"- **Applet within 10% of the minimal applet** (≤ {APPLET_GOAL}): "
        f"listing it costs {applet_ratio:.2f}× the minimal applet (95% "
        f"interval {applet_low:.2f}–{applet_high:.2f}; paired "
        f"{applet_paired:.2f}×), so it "
        f"{verdict(applet_ratio, APPLET_GOAL, applet_low, applet_high)}. "
        f"INIT, the first call, where the applet reads the product record, "
        f"checks the file and asks the shell for its icon, takes "
        f"{phase_medians[0][1] / 1000:.2f} ms against "
        f"{phase_medians[1][1] / 1000:.2f} ms; LoadLibrary of the larger "
        f"file takes {phase_medians[0][0] / 1000:.2f} ms against "
        f"{phase_medians[1][0] / 1000:.2f} ms. Timed on its own, the shell "
        f"icon is {100 * applet_warm['icon'] / applet_warm['load_state']:.0f}% "
        f"of the applet's first-call work; taking the icon from the file with "
        f"`ExtractIconExA` costs "
        f"{100 * extract_icon / applet_warm['icon']:.0f}% of that shell call. "
        f"Reading the record and the existence check are small. Even without "
        f"the icon, reading anything at all keeps the applet above a floor "
        f"that reads nothing, and its larger file costs more to load.")
    launcher_kib = size_kib["`launcher.exe`"]
    applet_kib = size_kib["`Vellupanel.cpl`"]
    within = max(launcher_kib, applet_kib) < SIZE_GOAL_KIB
    add(f"- **Files under {SIZE_GOAL_KIB} KiB**: launcher.exe is "
        f"{launcher_kib:.1f} KiB and Vellupanel.cpl {applet_kib:.1f} KiB, so "
        f"they {'meet' if within else 'miss'} the goal. Both link the C++ "
        f"runtime statically, and `std::string` with exception support "
        f"(unwinder, type information, allocation) is most of each file: the "
        f"reference programs, built with the same flags and the same static C "
        f"runtime but no C++ runtime, are "
        f"{size_kib['floor launcher (reference)']:.0f} and "
        f"{size_kib['minimal applet (reference)']:.0f} KiB.")
    add("")
    (ROOT / "BENCHMARKS.md").write_text("\n".join(out))


if __name__ == "__main__":
    main()
