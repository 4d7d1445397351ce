#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy) over the sources of the libraries without Qt and of the
# command-line program as the build folder BUILD_DIR (default: build/) compiles them, and fails
# on any finding, printing it. Needs a configured folder (its compile_commands.json), no build:
# the generated headers and include views are made by the configuration. One clang-tidy runs per
# processor; on two idle processors it takes about a minute and a half.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build}"
[ -f "$dir/compile_commands.json" ] || { echo "no $dir/compile_commands.json: configure first" >&2; exit 2; }
# The commands of our sources in those folders, without the options that only GCC knows (the
# kernels' loop alignment and loop distribution): clang stops on an option it does not know.
python3 - "$PWD" "$dir/compile_commands.json" "$dir/tidy/compile_commands.json" <<'PY'
import json, os, re, shlex, sys
root, source, target = sys.argv[1:]
ours = re.compile(re.escape(root) + r"/(numeric|platform|kernels|disk|engine|report|history|cli)/[^/]+\.cpp$")
gcc_only = re.compile(r"^-f(no-tree-loop-distribute-patterns|align-(loops|jumps)=\d+)$")
commands = []
for entry in json.load(open(source)):
    if not ours.match(entry["file"]):
        continue
    words = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
    commands.append({"directory": entry["directory"], "file": entry["file"],
                     "arguments": [w for w in words if not gcc_only.match(w)]})
os.makedirs(os.path.dirname(target), exist_ok=True)
json.dump(commands, open(target, "w"), indent=1)
print(f"clang-tidy over {len(commands)} sources")
PY
if ! run-clang-tidy -quiet -p "$dir/tidy" -j "$(nproc)" >"$dir/tidy/clang-tidy.log" 2>&1; then
  grep -E "(warning|error):" "$dir/tidy/clang-tidy.log" | sed 's/\x1b\[[0-9;]*m//g' | sort -u
  echo "clang-tidy found the faults above ($dir/tidy/clang-tidy.log)"
  exit 1
fi
echo "clang-tidy: no findings"
