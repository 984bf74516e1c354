# LibreOffice conversions for the fixture scripts (source this file).
# Needs libreoffice-writer-nogui; CI does not run the fixture scripts.
#
#   soffice_start                      a private profile (removed on exit),
#                                      so a LibreOffice running elsewhere
#                                      does not take the conversion over
#   soffice_convert FILTER OUTDIR SRC  converts one file into OUTDIR and
#                                      fails when nothing or an empty file
#                                      came out; prints the file written
#   soffice_convert_all FILTER OUTDIR SRC...   the same, file by file
#   soffice_convert_formats OUTDIR SRC...      each as .docx, .rtf, .html and
#                                      Word 2003 .xml
#
# FILTER is soffice's --convert-to argument ("doc:MS Word 97",
# "docx:MS Word 2007 XML", "rtf:Rich Text Format", "html:HTML (StarWriter)",
# "xml:MS Word 2003 XML"); the extension written is the part before ':'.

command -v soffice >/dev/null || {
  echo "soffice not found: apt-get install libreoffice-writer-nogui" >&2
  exit 1
}

soffice_start() {
  soffice_dir=$(mktemp -d)
  trap 'rm -rf "$soffice_dir"' EXIT
  soffice_profile="-env:UserInstallation=file://$soffice_dir/profile"
}

soffice_convert() {
  local filter=$1 outdir=$2 src=$3
  [[ -n "${soffice_profile:-}" ]] || soffice_start
  [[ -s "$src" ]] || { echo "soffice_convert: no source $src" >&2; return 1; }
  local base ext out log
  base=$(basename "${src%.*}")
  ext=${filter%%:*}
  out="$outdir/$base.$ext"
  log="$soffice_dir/convert.log"
  mkdir -p "$outdir"
  rm -f "$out"
  if ! soffice "$soffice_profile" --headless --norestore --convert-to "$filter" \
      --outdir "$outdir" "$src" >"$log" 2>&1; then
    echo "soffice failed on $src:" >&2
    cat "$log" >&2
    return 1
  fi
  if [[ ! -s "$out" ]]; then
    echo "soffice wrote nothing for $src (expected a non-empty $out):" >&2
    cat "$log" >&2
    return 1
  fi
  echo "$out"
}

soffice_convert_all() {
  local filter=$1 outdir=$2 src
  shift 2
  for src in "$@"; do soffice_convert "$filter" "$outdir" "$src" >/dev/null || return 1; done
}

soffice_convert_formats() {
  local outdir=$1 filter
  shift
  for filter in 'docx:MS Word 2007 XML' 'rtf:Rich Text Format' 'html:HTML (StarWriter)' \
    'xml:MS Word 2003 XML'; do
    soffice_convert_all "$filter" "$outdir" "$@" || return 1
  done
}
