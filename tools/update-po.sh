#!/usr/bin/env bash
# Gathers the interface texts into po/quillmark.pot and merges them into every language's
# catalogue (po/de.po, po/hu.po): new texts arrive untranslated, texts no longer used are kept
# as obsolete entries at the end. Needs gettext (xgettext, msgcat, msgmerge) and python3.
#   tools/update-po.sh            update the catalogues
#   tools/update-po.sh --check    only list untranslated and fuzzy texts per language
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
po=po
if [[ "${1:-}" == "--check" ]]; then
  for f in "$po"/??.po; do
    echo "== $f"
    msgattrib --untranslated --no-obsolete "$f" | grep -c '^msgid ' || true
    msgattrib --only-fuzzy --no-obsolete "$f" | grep -c '^msgid ' || true
  done
  exit 0
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# Texts in _() calls; N_() marks texts in tables that are passed through _() where shown.
find src -name '*.cpp' -o -name '*.h' | LC_ALL=C sort > "$tmp/files"
xgettext --from-code=UTF-8 --language=C++ --keyword= --keyword=_ --keyword=N_ --add-location=file \
  --no-wrap --sort-output --package-name=Quillmark -f "$tmp/files" -o "$tmp/calls.pot"
# Texts in the command tables, the insert-command catalogue and the file filters.
python3 tools/extract-tables.py src "$tmp/tables.pot"
msgcat --use-first --no-wrap --sort-output "$tmp/calls.pot" "$tmp/tables.pot" -o "$po/quillmark.pot"
for f in "$po"/??.po; do
  msgmerge --quiet --update --backup=none --no-fuzzy-matching --no-wrap --sort-output "$f" "$po/quillmark.pot"
done
echo "untranslated texts:"
for f in "$po"/??.po; do
  printf '  %s: %s\n' "$f" "$(msgattrib --untranslated --no-obsolete "$f" | grep -c '^msgid ' || true)"
done
