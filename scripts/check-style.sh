#!/usr/bin/env bash
# Checks the house style: every C++ file under src/, tests/, bench/ and fuzz/ as clang-format (the repository's
# .clang-format) would write it, and shellcheck over the shell scripts. Lists what is off and exits 1; a missing
# tool fails too (TARNWICK_WITH_EXTRAS=1 bash scripts/install-deps.sh installs both).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

for tool in clang-format shellcheck; do
    if ! command -v "$tool" >/dev/null; then
        echo "check-style: $tool is not installed (TARNWICK_WITH_EXTRAS=1 bash scripts/install-deps.sh)" >&2
        exit 1
    fi
done

status=0
mapfile -t cpp < <(find src tests bench fuzz -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
if ((${#cpp[@]} == 0)); then
    echo "check-style: no C++ files found" >&2
    exit 1
fi
if ! clang-format --dry-run -Werror "${cpp[@]}"; then
    echo "check-style: clang-format would change the files above (run clang-format -i on them)" >&2
    status=1
fi

scripts=(scripts/*.sh .ci/run)
if ! shellcheck "${scripts[@]}"; then
    echo "check-style: shellcheck reports the findings above" >&2
    status=1
fi

if ((status == 0)); then
    echo "check-style: ${#cpp[@]} C++ files and ${#scripts[@]} scripts in the house style"
fi
exit "$status"
