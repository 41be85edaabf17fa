#!/usr/bin/env bash
# Refreshes the catalogues in resources/translations from the sources (new texts come in
# unfinished, texts gone from the sources are dropped). Run it after adding or changing a
# text, translate the unfinished entries (Qt Linguist, or by hand), and commit the .ts files.
# --check: changes nothing; lists the English catalogue's unfinished entries and fails if any.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
lupdate=$(command -v lupdate || echo /usr/lib/qt6/bin/lupdate)
[ -x "$lupdate" ] || { echo "translations: lupdate not found (Debian: qt6-l10n-tools)" >&2; exit 2; }
catalogues=("$top"/resources/translations/*.ts)
sources=(app browse thumbs viewer slideshow settings platform resources)

update() { # catalogue...
    (cd "$top" && "$lupdate" -silent -I "$top" -locations none -no-obsolete -no-ui-lines \
        "${sources[@]}" -ts "$@")
}

if [ "${1:-}" != --check ]; then
    update "${catalogues[@]}"
    exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$top/resources/translations/pictarn_en.ts" "$work/"
update "$work/pictarn_en.ts"
# An entry is unfinished when lupdate found a text the catalogue has no words for.
unfinished=$(grep -c 'type="unfinished"' "$work/pictarn_en.ts" || true)
if [ "$unfinished" -ne 0 ]; then
    echo "translations: $unfinished unfinished English entries; run tools/translations.sh and translate:"
    grep -B2 'type="unfinished"' "$work/pictarn_en.ts" | grep '<source>' | sed 's/^ */  /'
    exit 1
fi
echo "translations: every English entry is finished"
