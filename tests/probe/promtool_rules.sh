#!/usr/bin/env bash
# The shipped alert rules: the README shows the same file, promtool accepts it, and its unit test
# passes (sustained pressure, a fair reading, a stopped app). Usage: promtool_rules.sh SOURCE_DIR
set -euo pipefail
src=$1
rules=$src/packaging/prometheus/tempyra-rules.yml
command -v promtool >/dev/null || { echo "promtool_rules: skipped (promtool is missing)"; exit 77; }

# The first yaml block of the README is the rule file, word for word.
diff -u "$rules" <(awk '/^```yaml/{on=1; next} /^```/{if (on) exit} on' "$src/README.md") ||
  { echo "promtool_rules: the README's yaml block differs from $rules"; exit 1; }
promtool check rules "$rules"
promtool test rules "$src/tests/probe/tempyra_rules_test.yml"
