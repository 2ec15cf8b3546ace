#!/bin/sh
# Runs one test binary in a network namespace of its own with only loopback up, so tests
# that ctest runs side by side never hear each other's simulated cameras.
exec unshare -n sh -c 'ip link set lo up && exec "$0" "$@"' "$@"
