"""Prints the benchmark table (medians, samples' range, ratios, peak memory) and writes JSON."""
import json
import statistics
import sys

results, docs, machine, load, target = sys.argv[1:6]
runs = {}
for line in open(results):
    parts = line.split()
    case, tool, seconds, kb = parts[0], " ".join(parts[1:-2]), float(parts[-2]), int(parts[-1])
    runs.setdefault(case, {}).setdefault(tool, []).append((seconds, kb))

# case: [(tool, baseline, ratio limit, kind)]; "within": at most limit times
# the baseline's time, "faster": at least limit times faster, "beside": the
# ratio alone, against no target.
goals = {
    "stats": [("RezudIzid", "du -sb", 2.0, "within")],
    "check": [("RezudIzid", "du -sb", 1.2, "within")],
    "full": [("RezudIzid", "cp -a", 1.15, "within")],
    "unchanged": [("RezudIzid", "rsync -a", 15.0, "faster"), ("run alone", "rsync -a", 15.0, "faster")],
    "changed": [("RezudIzid", "rsync -a", 4.0, "faster"), ("RezudIzid", "cp -p changed", 1.15, "within"),
                ("run alone", "rsync -a", 4.0, "faster"), ("run alone", "cp -p changed", 1.15, "within"),
                ("RezudIzid", "cp -p with dbs", 0, "beside"), ("RezudIzid", "rows, cp -p, dbs", 0, "beside"),
                ("rows, cp -p, dbs", "cp -p changed", 0, "beside")],
    "verify": [("RezudIzid", "du -sb", 2.0, "within")],
    "verify-data": [("RezudIzid", "sha256sum", 1.0, "within")],
    "restore": [("RezudIzid", "cp -a", 1.2, "within")],
}
report = {"documents": int(docs), "machine": machine, "load": load, "cases": {}}
print(f"{docs} documents on {machine}; load before: {load}")
print(f"{'case':<11} {'tool':<14} {'median s':>9} {'range s':>15} {'peak MB':>8}")
for case, tools in runs.items():
    entry = {}
    for tool, samples in tools.items():
        seconds = [s for s, _ in samples]
        med, peak = statistics.median(seconds), max(kb for _, kb in samples) / 1024
        entry[tool] = {"median_s": med, "peak_mb": peak, "samples_s": seconds, "ratios": []}
        print(f"{case:<11} {tool:<14} {med:>9.3f} {min(seconds):>7.3f}-{max(seconds):<7.3f} {peak:>8.1f}")
    for tool, base, limit, kind in goals.get(case, []):
        if tool not in entry or base not in entry:
            continue
        med, base_med = entry[tool]["median_s"], entry[base]["median_s"]
        ratio = base_med / med if kind == "faster" else med / base_med
        if kind == "beside":
            print(f"  {case}: {tool} {ratio:.2f}x the time of {base} (no target)")
            entry[tool]["ratios"].append({"baseline": base, "ratio": ratio, "kind": kind})
            continue
        ok = ratio <= limit if kind == "within" else ratio >= limit
        words = f"{ratio:.2f}x the time of" if kind == "within" else f"{ratio:.1f}x faster than"
        target_text = f"<= {limit}x" if kind == "within" else f">= {limit}x"
        print(f"  {case}: {tool} {words} {base} (target {target_text}) {'met' if ok else 'MISSED'}")
        entry[tool]["ratios"].append({"baseline": base, "ratio": ratio, "kind": kind, "limit": limit, "met": ok})
    report["cases"][case] = entry
json.dump(report, open(target, "w"), indent=2)
