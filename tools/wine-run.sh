#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's own prefix, quietly.
set -eu
source "$(dirname "$0")/wine-env.sh"
exec wine "$@"
