#!/usr/bin/env bash
# Fails when a tracked C++ file differs from the project's .clang-format (Debian 12's
# clang-format 14). Fix with: git ls-files '*.cpp' '*.h' | xargs clang-format -i
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z '*.cpp' '*.h' '*.c' | xargs -0 clang-format --dry-run -Werror
echo "format: $(git ls-files '*.cpp' '*.h' '*.c' | wc -l) files as .clang-format has them"
