#!/usr/bin/env bash
# Builds resources/template/template.doc (Word 97-2003) from its editable sources:
#   resources/template/artwork.svg    page artwork (border, holly, baubles, script title)
#   resources/template/invitation.fodt  the document: text boxes, wording, fonts, page setup, the
#                                       paper as shapes and where each piece of artwork goes
# and checks the result the way the program uses it.
#
#   scripts/make-template.sh                 regenerate template.doc, then check
#   scripts/make-template.sh --preview DIR   also write DIR/template.png (the empty template) and
#                                            DIR/filled.png (filled with sample party details)
#
# Needs (Debian 12): librsvg2-bin, fonts-dancingscript, fonts-liberation, fonts-freefont-ttf,
# fonts-wqy-microhei, libreoffice-writer-nogui, poppler-utils, python3. Missing packages are installed when run as root.
# LibreOffice runs headless with a private profile in a scratch folder that is removed afterwards.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
src=$here/resources/template
helper=$here/scripts/make-template-helper.py
preview=""
if [ "${1:-}" = "--preview" ]; then
  [ -n "${2:-}" ] || { echo "usage: $0 [--preview DIR]" >&2; exit 2; }
  mkdir -p "$2"; preview=$(cd "$2" && pwd)
fi

need=()
command -v rsvg-convert >/dev/null || need+=(librsvg2-bin)
command -v pdftoppm >/dev/null || need+=(poppler-utils)
command -v soffice >/dev/null || need+=(libreoffice-writer-nogui)
families=$(fc-list : family 2>/dev/null || true)
grep -q "Dancing Script" <<<"$families" || need+=(fonts-dancingscript)
grep -q "Liberation Serif" <<<"$families" || need+=(fonts-liberation)
grep -q "FreeSerif" <<<"$families" || need+=(fonts-freefont-ttf)
grep -q "WenQuanYi Micro Hei" <<<"$families" || need+=(fonts-wqy-microhei)
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then echo "make-template: please install ${need[*]}" >&2; exit 1; fi
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${need[@]}"
fi

work=$(mktemp -d /tmp/make-template.XXXXXX)
office_pid=""
cleanup() {
  if [ -n "$office_pid" ] && kill -0 "$office_pid" 2>/dev/null; then kill "$office_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# Runs one LibreOffice conversion: office ARGS... (private profile and temporary folder)
office() {
  TMPDIR=$work/tmp soffice -env:UserInstallation=file://$work/profile --headless --norestore \
    --nolockcheck "$@" >"$work/office.log" 2>&1 &
  office_pid=$!
  if ! wait "$office_pid"; then cat "$work/office.log" >&2; office_pid=""; return 1; fi
  office_pid=""
}
mkdir -p "$work/tmp" "$work/doc" "$work/pdf" "$work/back" "$work/filled"

echo "make-template: rendering the pieces of artwork"
# Each piece the document places, at 200 dots per inch, transparent where nothing is drawn.
cp "$src/invitation.fodt" "$work/source.fodt"
python3 "$helper" pieces "$work/source.fodt" "$src/artwork.svg" "$work/pieces"
for piece in "$work"/pieces/*.svg; do
  [ "$(basename "$piece")" = page.svg ] && continue
  rsvg-convert --dpi-x 200 --dpi-y 200 -o "${piece%.svg}.png" "$piece"
done
rsvg-convert --dpi-x 50 --dpi-y 50 -o "$work/page.png" "$work/pieces/page.svg"
python3 "$helper" coverage "$work/source.fodt" "$work/page.png"

echo "make-template: converting to Word 97-2003"
python3 "$helper" embed "$work/source.fodt" "$work/invitation.fodt"
office --convert-to 'doc:MS Word 97' --outdir "$work/doc" "$work/invitation.fodt"
cp "$work/doc/invitation.doc" "$src/template.doc"

echo "make-template: checking template.doc"
cp "$src/template.doc" "$work/template.doc"
office --convert-to pdf --outdir "$work/pdf" "$work/template.doc"
office --convert-to fodt --outdir "$work/back" "$work/template.doc"
pages=$(pdfinfo "$work/pdf/template.pdf" | awk '/^Pages:/ {print $2}')
size=$(stat -c %s "$src/template.doc")
echo "  pages: $pages, size: $size bytes"
status=0
[ "$pages" = 1 ] || { echo "  FAIL: the template must be exactly one page" >&2; status=1; }
[ "$size" -lt 1000000 ] || { echo "  FAIL: template.doc is 1 MB or more" >&2; status=1; }
python3 "$helper" check "$work/back/template.fodt" || status=1

if [ -n "$preview" ]; then
  pdftoppm -png -r 100 -singlefile "$work/pdf/template.pdf" "$preview/template"
  # Filled with long but typical values, then saved as .doc and rendered from that .doc.
  python3 "$helper" embed "$work/source.fodt" "$work/filled/sample.fodt" \
    "[GivenBy]=Ilse and Bram Ketterly" "[Address]=417 Larkspur Avenue" "[City]=North Vellmont" \
    "[State]=WA" "[Date]=December 24" "[Time]=7:30 P.M."
  office --convert-to 'doc:MS Word 97' --outdir "$work/filled" "$work/filled/sample.fodt"
  office --convert-to pdf --outdir "$work/filled" "$work/filled/sample.doc"
  pdftoppm -png -r 100 -singlefile "$work/filled/sample.pdf" "$preview/filled"
  echo "  previews: $preview/template.png $preview/filled.png"
fi

[ "$status" = 0 ] && echo "make-template: wrote $src/template.doc"
exit "$status"
