#!/usr/bin/env bash
# Lists the C++ files that differ from the committed .clang-format and fails when there is one.
set -uo pipefail
cd "$(dirname "$0")/.."
unformatted=()
while IFS= read -r file; do
  if ! clang-format --style=file "$file" | cmp -s - "$file"; then
    unformatted+=("$file")
  fi
done < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -path ./build\* -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
if [ ${#unformatted[@]} -gt 0 ]; then
  echo "Not formatted with .clang-format (run: clang-format -i FILE):"
  printf '  %s\n' "${unformatted[@]}"
  exit 1
fi
echo "All C++ files follow .clang-format."
