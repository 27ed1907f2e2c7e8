#!/bin/sh
# private_loopback.sh COMMAND [ARGUMENT...]
# Runs COMMAND in a network namespace of its own whose loopback interface "lo" is up.
# The robot's topics live in DDS domain 0, and every process of the machine that uses
# "lo" joins it: a test that plays or drives the robot would otherwise meet the commands
# and states of other test runs, simulators or benchmarks (a peer that sees a command it
# did not expect fails). Where no namespace may be made, COMMAND runs as it is.
for unshare_options in "--net" "--net --map-root-user"; do
  # shellcheck disable=SC2086 # the options are two words
  if unshare $unshare_options ip link set lo up 2>/dev/null; then
    # shellcheck disable=SC2086
    exec unshare $unshare_options sh -c 'ip link set lo up && exec "$@"' private_loopback "$@"
  fi
done
exec "$@"
