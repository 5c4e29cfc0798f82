"""Prints the benchmark table (medians, ratios, peak memory) and writes JSON."""
import json
import statistics
import sys

results, docs, machine, target = sys.argv[1:5]
runs = {}
for line in open(results):
    parts = line.split()
    case, tool, seconds, kb = parts[0], " ".join(parts[1:-2]), float(parts[-2]), int(parts[-1])
    runs.setdefault(case, {}).setdefault(tool, []).append((seconds, kb))

goals = {  # case: (baseline, ratio limit, kind)
    "stats": ("du -sb", 2.0, "within"),
    "check": ("du -sb", 2.0, "within"),
    "full": ("cp -a", 1.15, "within"),
    "unchanged": ("rsync -a", 10.0, "faster"),
    "changed": ("rsync -a", 5.0, "faster"),
    "verify": ("du -sb", 2.0, "within"),
    "verify-data": ("sha256sum", 1.0, "within"),
    "restore": ("cp -a", 1.2, "within"),
}
report = {"documents": int(docs), "machine": machine, "cases": {}}
print(f"{docs} documents on {machine}")
print(f"{'case':<10} {'tool':<10} {'median s':>9} {'peak MB':>8}  ratio against baseline")
for case, tools in runs.items():
    base_name, limit, kind = goals[case]
    medians = {t: statistics.median(s for s, _ in v) for t, v in tools.items()}
    base = medians[base_name]
    entry = {}
    for tool, samples in tools.items():
        med = medians[tool]
        peak = max(kb for _, kb in samples) / 1024
        line = f"{case:<10} {tool:<10} {med:>9.3f} {peak:>8.1f}"
        info = {"median_s": med, "peak_mb": peak, "samples_s": [s for s, _ in samples]}
        if tool != base_name:
            if kind == "within":
                ratio = med / base
                ok = ratio <= limit
                line += f"  {ratio:.2f}x the time of {base_name} (target <= {limit}x) {'met' if ok else 'MISSED'}"
            else:
                ratio = base / med
                ok = ratio >= limit
                line += f"  {ratio:.1f}x faster than {base_name} (target >= {limit}x) {'met' if ok else 'MISSED'}"
            ok = ok and peak < 50
            info.update({"ratio": ratio, "target_met": ok})
        entry[tool] = info
        print(line)
    report["cases"][case] = entry
json.dump(report, open(target, "w"), indent=2)
