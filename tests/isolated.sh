#!/bin/sh
# Runs a test program in a private network namespace with nothing but a loopback device, for
# tests of the main window: it pings the camera address as it starts and looks names up, and
# none of that may leave this machine. Used as the test executables' launcher by CMake.
exec unshare -rn sh -c 'ip link set lo up 2>/dev/null; exec "$@"' sh "$@"
