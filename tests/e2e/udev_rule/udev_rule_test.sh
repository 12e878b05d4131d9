#!/usr/bin/env bash
# The package's udev rule: checked by `udevadm verify` where udev has it,
# otherwise read by `udevadm test` from a copy in /run/udev/rules.d (root
# only; skipped otherwise) with no complaint about it; and installed by the
# install rules (the package's content) into lib/udev/rules.d.
# Usage: udev_rule_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
rule="$src/payload/udev/70-teskaro-ventaro.rules"
work=$(mktemp -d)
copy=""
trap 'rm -rf "$work"; [ -z "$copy" ] || rm -f "$copy"' EXIT

if udevadm verify --help >/dev/null 2>&1; then
  udevadm verify "$rule"
  echo "udevadm verify: the rule is valid"
elif [ "$(id -u)" -eq 0 ]; then
  mkdir -p /run/udev/rules.d
  copy="/run/udev/rules.d/70-teskaro-ventaro-check-$$.rules"
  cp "$rule" "$copy"
  udevadm test /sys/class/tty/tty0 >"$work/test.out" 2>&1 || true
  grep -q "Reading rules file: $copy" "$work/test.out" || { cat "$work/test.out"; exit 1; }
  if grep "$copy:" "$work/test.out"; then echo "FAIL: udevadm complains about the rule"; exit 1; fi
  echo "udevadm test: the rule was read without a complaint"
else
  echo "udevadm verify missing and not root: the rule's syntax is not checked"
fi
# Each USB id is one of the adapters the README lists.
grep -o 'idVendor}=="[0-9a-f]*", ATTRS{idProduct}=="[0-9a-f]*"' "$rule" \
  | sed 's/idVendor}=="\(.*\)", ATTRS{idProduct}=="\(.*\)"/\1:\2/' >"$work/ids"
while read -r id; do
  grep -q "\`$id\`" "$src/README.md" || { echo "FAIL: $id not in the README"; exit 1; }
done <"$work/ids"
echo "$(wc -l <"$work/ids") adapters, each listed in the README"

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >"$work/install.out"
cmp "$rule" "$work/root/usr/lib/udev/rules.d/70-teskaro-ventaro.rules"
echo "installed as /usr/lib/udev/rules.d/70-teskaro-ventaro.rules"
