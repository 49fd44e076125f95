#!/usr/bin/env bash
# Checks the C++ files a range of commits changed: clang-format over the
# changed lines only (the rest of a file keeps whatever layout it had), and
# clang-tidy with the project's .clang-tidy over the changed sources of the
# product (not tests/, bench/, fuzz/). Needs the
# compile commands of the plain build (scripts/build.sh writes them).
#   scripts/check-style.sh [BASE..HEAD | COMMIT]   default: HEAD~1..HEAD
# A range whose base is not in this clone (the first commit, a shallow clone)
# has nothing to compare with: the check says so and passes.
# VANTORA_BUILD_DIR names another build tree; VANTORA_STYLE_JOBS the number of
# clang-tidy runs at once (default: the number of processors).
set -euo pipefail
cd "$(dirname "$0")/.."

range="${1:-HEAD~1..HEAD}"
build="${VANTORA_BUILD_DIR:-build}"
jobs="${VANTORA_STYLE_JOBS:-$(nproc)}"

if [[ "$range" == *..* ]]; then
  base="${range%%..*}"
  head="${range##*..}"
else
  base="$range~1"
  head="$range"
fi
head="${head:-HEAD}"

# Debian 12's clang 14 tools, installed when missing.
if ! command -v clang-format-14 >/dev/null || ! command -v clang-tidy-14 >/dev/null \
  || ! command -v git-clang-format-14 >/dev/null; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  echo "Installing: clang-format-14 clang-tidy-14"
  export DEBIAN_FRONTEND=noninteractive
  if ! $SUDO apt-get install -y --no-install-recommends clang-format-14 clang-tidy-14 >/dev/null \
    && ! { $SUDO apt-get update >/dev/null && $SUDO apt-get install -y --no-install-recommends clang-format-14 clang-tidy-14 >/dev/null; }; then
    echo "style: WARNING: clang-format-14 and clang-tidy-14 cannot be installed here; nothing checked" >&2
    exit 0
  fi
fi

if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  echo "style: not a git checkout; no changes to check"
  exit 0
fi

if ! git rev-parse -q --verify "$head^{commit}" >/dev/null; then
  echo "style: $head is not a commit" >&2
  exit 2
fi
if ! git rev-parse -q --verify "$base^{commit}" >/dev/null; then
  echo "style: $base is not in this clone (first commit or shallow clone); nothing to compare with, nothing checked"
  exit 0
fi

mapfile -t changed < <(git diff --name-only --diff-filter=ACMR "$base" "$head" -- '*.cpp' '*.h' | while read -r f; do
  [ -f "$f" ] && echo "$f"
done)
if [ ${#changed[@]} -eq 0 ]; then
  echo "style: no C++ file changed in $base..$head"
  exit 0
fi
echo "style: ${#changed[@]} C++ file(s) changed in $base..$head"

failed=0

# Format: only the lines the range changed.
format_diff=$(git clang-format-14 --binary clang-format-14 --style file --diff "$base" "$head" -- "${changed[@]}" 2>&1) || true
if grep -q '^diff --git\|^+++ ' <<<"$format_diff"; then
  echo "style: changed lines that clang-format would lay out otherwise (apply with git clang-format $base):"
  echo "$format_diff"
  failed=1
else
  echo "style: format ok"
fi

# Tidy: the changed sources, and for a changed header the source beside it.
# A file whose change is layout only (the same text once blanks are dropped,
# as after a reformat) was tidied as it was and is not tidied again.
layout_only() {
  local old new
  old=$(git show "$base:$1" 2>/dev/null | tr -d ' \t\n') || return 1
  new=$(git show "$head:$1" | tr -d ' \t\n')
  [ "$old" = "$new" ]
}
if [ ! -f "$build/compile_commands.json" ]; then
  echo "style: $build/compile_commands.json is missing (run scripts/build.sh first)" >&2
  exit 2
fi
declare -A sources=()
for f in "${changed[@]}"; do
  layout_only "$f" && continue
  case "$f" in
  tests/* | bench/* | fuzz/*) ;; # the product's code only: tests build damage on purpose
  *.cpp) sources["$f"]=1 ;;
  *.h) [ -f "${f%.h}.cpp" ] && sources["${f%.h}.cpp"]=1 ;;
  esac
done
known=()
for f in "${!sources[@]}"; do
  # Only what the build compiles (the fuzz targets are not in the plain build).
  if grep -qF "\"file\": \"$PWD/$f\"" "$build/compile_commands.json"; then
    known+=("$f")
  fi
done
if [ ${#known[@]} -gt 0 ]; then
  # -w: the compiler's own warnings are the build's business (gcc, -Werror);
  # tidy reports only its checks.
  if printf '%s\0' "${known[@]}" | xargs -0 -n 1 -P "$jobs" \
    clang-tidy-14 --quiet -p "$build" --extra-arg=-w --warnings-as-errors='*' 2>/dev/null; then
    echo "style: tidy ok (${#known[@]} source(s))"
  else
    echo "style: clang-tidy findings above"
    failed=1
  fi
else
  echo "style: no product source to tidy"
fi

exit "$failed"
