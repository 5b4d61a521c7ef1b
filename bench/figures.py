#!/usr/bin/env python3
"""What bench/scripts/benchmark.sh measures with, and how it prints the figures.

  watch PID SECONDS NAME   watches a live process for SECONDS: NAME.cpu_s (CPU
                           seconds, ended threads included), NAME.ms (CPU ms per
                           10 s, all threads), NAME.wake (voluntary switches a
                           second), NAME.hwm_mib (peak memory), NAME.split (ms
                           per 10 s by thread name)
  marks LOG N NAME         ms from the Nth "open-request" to the Nth
                           "first-frame" mark of the player's log
  gstlog LOG SINK NAME     ms from GStreamer's first element made to SINK's
                           first buffer (it prerolls on it)
  hyperfine NAME JSON MEM  a whole reference run: CPU (user + system, from
                           hyperfine) and peak memory (KiB, from time -f %M)
  gbench NAME JSON         a Google Benchmark's repetitions, in seconds
  report VALUES RUNS VSINK every figure as min / median / max with its target

Each measuring command prints "NAME.what value" lines; the script gathers
them, one line a run, and report reads them back in run order.
"""

import json
import os
import statistics
import sys
import time


def threads(pid):
    """tid -> (CPU ns, voluntary switches, name), from the scheduler's own account
    (clock ticks are too coarse for the few ms a quiet player spends)."""
    out = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        base = f"/proc/{pid}/task/{tid}"
        try:
            with open(f"{base}/schedstat") as f:
                ns = int(f.read().split()[0])
            with open(f"{base}/status") as f:
                sw = next(int(l.split()[1]) for l in f if l.startswith("voluntary_ctxt_switches:"))
            with open(f"{base}/comm") as f:
                name = f.read().strip().replace(" ", "_")
        except (FileNotFoundError, ProcessLookupError):
            continue  # a thread that ended meanwhile
        out[tid] = (ns, sw, name)
    return out


def ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime + stime


def watch(pid, seconds, name):
    seconds = float(seconds)
    t0, before = ticks(pid), threads(pid)
    time.sleep(seconds)
    t1, after = ticks(pid), threads(pid)
    with open(f"/proc/{pid}/status") as f:
        hwm = next(int(l.split()[1]) for l in f if l.startswith("VmHWM:"))
    by = {}
    for tid, (ns, sw, thread) in after.items():
        ns0, sw0, _ = before.get(tid, (0, 0, thread))
        ms, wakes = by.get(thread, (0.0, 0))
        by[thread] = (ms + (ns - ns0) / 1e6, wakes + sw - sw0)
    per10 = 10 / seconds
    split = ", ".join(f"{t} {ms * per10:.1f} ms" for t, (ms, _) in
                      sorted(by.items(), key=lambda kv: -kv[1][0]) if ms * per10 >= 0.05)
    print(f"{name}.cpu_s {(t1 - t0) / os.sysconf('SC_CLK_TCK'):.2f}")
    print(f"{name}.ms {sum(ms for ms, _ in by.values()) * per10:.2f}")
    print(f"{name}.wake {sum(w for _, w in by.values()) / seconds:.1f}")
    print(f"{name}.hwm_mib {hwm / 1024:.1f}")
    print(f"{name}.split {split or 'nothing'}")


def marks(log, n, name):
    n = int(n)
    seen = {"open-request": [], "first-frame": []}
    with open(log, errors="replace") as f:
        for line in f:
            words = line.split()
            if len(words) >= 2 and words[0] in seen:
                seen[words[0]].append(int(words[1]))
    if len(seen["open-request"]) >= n and len(seen["first-frame"]) >= n:
        print(f"{name} {(seen['first-frame'][n - 1] - seen['open-request'][n - 1]) / 1000:.1f}")


def gstlog(log, sink, name):
    def ms(stamp):
        h, m, s = stamp.split(":")
        return (int(h) * 3600 + int(m) * 60 + float(s)) * 1000

    start = None
    with open(log, errors="replace") as f:
        for line in f:
            if start is None and "creating element" in line:
                start = ms(line.split()[0])
            if start is not None and f"gst_base_sink_do_preroll:{sink} prerolling" in line:
                print(f"{name} {ms(line.split()[0]) - start:.1f}")
                return


def hyperfine(name, path, mem):
    with open(path) as f:
        result = json.load(f)["results"][0]
    with open(mem) as f:
        kib = int(f.read().split()[-1])
    print(f"{name}.cpu_s {result['user'] + result['system']:.2f}")
    print(f"{name}.hwm_mib {kib / 1024:.1f}")


def gbench(name, path):
    scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
    with open(path) as f:
        for b in json.load(f)["benchmarks"]:
            if b.get("run_type") == "iteration":
                print(f"{name} {b['real_time'] * scale[b['time_unit']]:.4f}")


def report(path, runs, vsink):
    v = {}
    with open(path) as f:
        for line in f:
            key, _, value = line.rstrip("\n").partition(" ")
            v.setdefault(key, []).append(value)

    def nums(key):
        return [float(x) for x in v.get(key, [])]

    def med(key):
        return statistics.median(nums(key)) if key in v else float("nan")

    def row(label, key, decimals, note="", scale=1.0):
        x = [n * scale for n in nums(key)]
        text = (f"min {min(x):.{decimals}f}  median {statistics.median(x):.{decimals}f}  "
                f"max {max(x):.{decimals}f}") if x else "no data"
        print(f"  {label:<16} {text}{'   ' + note if note else ''}")

    def target(label, value, op, limit, unit=""):
        ok = value <= limit if op == "<=" else value < limit
        print(f"  {label} {value:.3f}{unit}   target {op} {limit}{unit}   {'PASS' if ok else 'MISS'}")

    def split(key, by):  # the per-thread split of the run whose figure is the median
        x = nums(by)
        m = statistics.median(x)
        return v[key][min(range(len(x)), key=lambda i: abs(x[i] - m))]

    with open("/proc/meminfo") as f:
        mem = int(f.readline().split()[1]) / 1048576
    print(f"Machine: {os.cpu_count()} cores, {mem:.0f} GiB; Xvfb 1920x1080, video sink {vsink}, "
          "no sound card: audio to a real-time fakesink.")
    print(f"{runs} runs of each, player and reference taking turns; figures are min / median / max;"
          f" load average now {' '.join(f'{x:.2f}' for x in os.getloadavg())}.\n")

    def sizes(key):
        found = v.get(key, [])
        return ", ".join(f"{s} in {found.count(s)} runs" for s in sorted(set(found))) or "not found"

    floor = f"decodebin ! videoconvert ! videoscale ! {vsink}, sound to a fakesink"
    if "window.player.cpu_s" in v:
        print("CPU time playing the 10 s 720x576 MPEG-2 clip in the window "
              "(s; player: double-click to end, floor: whole run)")
        row("player", "window.player.cpu_s", 2, f"(video window {sizes('window.player.size')})")
        row("floor", "window.ref.cpu_s", 2, f"({floor}, scaled to the same size)")
        target("ratio", med("window.player.cpu_s") / med("window.ref.cpu_s"), "<=", 1.1)
        print("Time to the first picture (ms)")
        row("player", "window.player.first_ms", 1, "(service marks: open request -> first buffer at the video sink)")
        row("floor", "window.ref.first_ms", 1, "(GStreamer log: first element made -> first buffer at the video sink)")
        target("ratio", med("window.player.first_ms") / med("window.ref.first_ms"), "<=", 1.1)
        row("next file", "window.player.next_ms", 1,
            f"(the player, a second open in the same run; ratio "
            f"{med('window.player.next_ms') / med('window.ref.first_ms'):.3f})")
        print("Peak memory (VmHWM) playing the MPEG-2 clip (MiB)")
        row("player", "window.player.hwm_mib", 1)
        row("floor", "window.ref.hwm_mib", 1)
        target("player - floor (medians)",
               med("window.player.hwm_mib") - med("window.ref.hwm_mib"), "<=", 30, " MiB")
        print()

    for key, what in (("full", "the 10 s 720x576 MPEG-2 clip"), ("hd", "the 6 s 1080p H.264 clip")):
        if f"{key}.player.cpu_s" in v:
            print(f"CPU time playing {what} full screen, 1920x1080 (s; whole runs as above)")
            row("player", f"{key}.player.cpu_s", 2, f"(video window {sizes(f'{key}.player.size')})")
            row("floor", f"{key}.ref.cpu_s", 2, f"({floor}, scaled to 1920x1080)")
            target("ratio", med(f"{key}.player.cpu_s") / med(f"{key}.ref.cpu_s"), "<=", 1.1)
            print()

    if "wav.player.ms" in v:
        for kind in ("wav", "mp3"):
            print(f"CPU playing a 60 s {kind.upper()}, sound only, steady playing (ms per 10 s; all threads)")
            row("player", f"{kind}.player.ms", 1)
            row("gst-launch", f"{kind}.ref.ms", 1)
            target("ratio", med(f"{kind}.player.ms") / med(f"{kind}.ref.ms"), "<=", 1.2)
            print(f"  by thread, median run: player: {split(f'{kind}.player.split', f'{kind}.player.ms')}")
            print(f"                     gst-launch: {split(f'{kind}.ref.split', f'{kind}.ref.ms')}")
            print()
        # A pass of the 20-character title: from the strip's whole width (28
        # cells) until its last character (1.2 cells each) has left, half a
        # cell a frame, one pass per 5 s tick.
        frames = 2 * ((28 + 24) / 0.5 + 1)
        print(f"Paused, the title scrolling (per 10 s: {frames:.0f} frames of the 20-character title)")
        row("CPU, ms", "pause.ms", 1)
        row("wake-ups a s", "pause.wake", 1)
        row("CPU a frame, us", "pause.ms", 1, scale=1000 / frames)
        target("CPU a frame (median), us", med("pause.ms") * 1000 / frames, "<=", 30)
        print(f"  by thread, median run: {split('pause.split', 'pause.ms')}")
        print("  one frame, all threads, in a process of its own (marquee_bench, us):")
        row("  whole frame", "marquee.marquee", 1, "(shown from frames on the X server)")
        row("  timer alone", "marquee.timer", 1, "(a 30 ms timer on the window's thread)")
        row("  timer+repaint", "marquee.repaint", 1, "(that timer and an empty strip repainted)")
        row("  first pass, ms", "marquee.first", 1, "(making the frames, once per title)", 1 / 1000)
        print("  paused, the window wholly covered by another:")
        row("  CPU, ms", "covered.ms", 1)
        row("  wake-ups a s", "covered.wake", 1)
        print()
        print("Idle, nothing open (per 10 s)")
        row("CPU, ms", "idle.ms", 1)
        target("CPU (median), ms", med("idle.ms"), "<=", 10)
        row("wake-ups a s", "idle.wake", 1)
        target("wake-ups a s (median)", med("idle.wake"), "<=", 2.5)
        print(f"  by thread, median run: {split('idle.split', 'idle.ms')}")
        print()

    if "startup.big_us" in v:
        print("Start-up to a shown window (s; exec -> the server maps the window)")
        row("100,000 entries", "startup.big_us", 3, scale=1e-6)
        target("median", med("startup.big_us") / 1e6, "<", 0.5, " s")
        row("empty playlist", "startup.empty_us", 3, "(for comparison)", 1e-6)
        print()

    if "playlist.s" in v:
        print("Load plus save of both playlist files, 100,000 entries "
              "(s; wall time, atomic saves flushed to disk)")
        row("playlist code", "playlist.s", 3)
        target("median", med("playlist.s"), "<", 0.2, " s")
        print()

    if "midi.player.hwm_mib" in v:
        fonts = ["/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2",
                 "/usr/share/sounds/sf2/FluidR3_GM.sf2"]
        font = next((p for p in fonts if os.path.exists(p)), None)
        font_mib = os.stat(font).st_size / 1048576 if font else 0
        print("Peak memory (VmHWM) playing the 5 s MIDI sample (MiB)")
        row("player, MIDI", "midi.player.hwm_mib", 1)
        row("player, MP3", "melody.player.hwm_mib", 1, "(same length, no synthesiser)")
        row("gst-launch, MIDI", "midi.ref.hwm_mib", 1)
        row("gst-launch, MP3", "melody.ref.hwm_mib", 1)
        print(f"  soundfont {font or 'none'} is {font_mib:.1f} MiB")
        target("MIDI - MP3 in the player (medians)",
               med("midi.player.hwm_mib") - med("melody.player.hwm_mib"), "<=", round(font_mib + 5, 1), " MiB")


if __name__ == "__main__":
    commands = {"watch": watch, "marks": marks, "gstlog": gstlog, "hyperfine": hyperfine,
                "gbench": gbench, "report": report}
    if len(sys.argv) < 2 or sys.argv[1] not in commands:
        sys.exit(__doc__)
    commands[sys.argv[1]](*sys.argv[2:])
