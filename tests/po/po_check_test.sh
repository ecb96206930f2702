#!/usr/bin/env bash
# The build's msgfmt --check holds a translation to the placeholders of its English text: de.po as
# shipped passes; the same file with one "%2" dropped from a translation is refused.
# Usage: po_check_test.sh MSGFMT SOURCE_DIR
set -u
msgfmt=$1
po="$2/po/de.po"
work=$(mktemp -d "${TMPDIR:-/tmp}/pelliset-po.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$msgfmt" --check -o "$work/de.mo" "$po" 2>/dev/null || fail "de.po as shipped is refused"
sed 's/^msgstr "Geben Sie eine ganze Zahl zwischen %1 und %2 ein."$/msgstr "Geben Sie eine ganze Zahl ab %1 ein."/' \
  "$po" >"$work/broken.po"
! cmp -s "$po" "$work/broken.po" || fail "the translation of string 61440 was not found in de.po"
if err=$("$msgfmt" --check -o "$work/broken.mo" "$work/broken.po" 2>&1); then
  fail "msgfmt --check accepted a translation without %2"
fi
grep -q "argument 2" <<<"$err" || fail "msgfmt refused it for another reason: $err"
echo "PASS: msgfmt --check refuses a translation that drops a placeholder"
