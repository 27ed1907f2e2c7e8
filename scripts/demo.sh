#!/usr/bin/env bash
# The main job: the stand-up example against the simulated robot, all on "lo".
# Installs what is missing, builds quorvel_sim and quorvel_api (in build/), starts the
# simulation, runs examples/stand_up.py against it, stops the simulation and says where
# the plot is. Output goes to build/demo-output/ (or the folder given as the first argument).
set -euo pipefail
cd "$(dirname "$0")/.."
output_dir=$(realpath -m "${1:-build/demo-output}")
build_dir=build

scripts/install_deps.sh
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build_dir" --target quorvel_sim quorvel_api -j"$(nproc)"

cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build_dir/CMakeCache.txt"; }
python=$(cache_value QUORVEL_PYTHON_EXECUTABLE)
python_dir=$(cache_value QUORVEL_PYTHON_DIR)
sim="$build_dir/sim/quorvel_sim"
if [[ -z $python || -z $python_dir ]]; then
  echo "demo: the build did not configure quorvel_api (is CPython 3.12 installed?)" >&2
  exit 1
fi

mkdir -p "$output_dir"
# The duration bounds the simulation should this script be killed; normally it is
# stopped with SIGINT, as Ctrl-C would, once the example is done.
"$sim" --interface lo --duration 50 >"$output_dir/quorvel_sim.log" 2>&1 &
sim_pid=$!
stop_sim() { kill -INT "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; }
trap stop_sim EXIT

status=0
PYTHONPATH="$python_dir" "$python" examples/stand_up.py --interface lo --output-dir "$output_dir" || status=$?
stop_sim
trap - EXIT
echo "simulation:"
grep '^quorvel_sim:' "$output_dir/quorvel_sim.log" | sed 's/^/  /'
if [[ -f "$output_dir/stand_up.png" ]]; then
  echo "The plot is at $output_dir/stand_up.png (trajectories: $output_dir/stand_up.csv)"
fi
exit "$status"
