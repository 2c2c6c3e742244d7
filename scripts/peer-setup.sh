#!/usr/bin/env bash
# Installs the CAN test peer's npm packages when they are missing or stale (run by the test
# suite before the peer tests).
set -euo pipefail
source "$(dirname "$0")/setup.sh"
tolvik_peer_setup
