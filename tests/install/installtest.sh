#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what an installed copy gives its user:
# the desktop entry, AppStream metadata and file type pass their validators, the icons and
# manual pages are in place, the installed trellion-cli reports its version and converts, the
# desktop entry offers the window for ILDA files, and the thumbnailer's command line, run as a
# file manager runs it, draws a picture.
#   installtest.sh BUILD_DIR VERSION PNGPROBE
set -euo pipefail
build=$1
version=$2
pngprobe=$3
id=uk.co.halvorn.Trellion

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/trellion bin/trellion-cli \
    share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
    share/mime/packages/$id.xml share/thumbnailers/trellion.thumbnailer \
    share/icons/hicolor/scalable/apps/$id.svg share/icons/hicolor/256x256/apps/$id.png \
    share/man/man1/trellion.1.gz share/man/man1/trellion-cli.1.gz \
    share/doc/trellion/copyright share/doc/trellion/changelog.gz \
    share/bash-completion/completions/trellion-cli; do
    [ -s "$prefix/$f" ] || fail "$f is not installed"
done
[ -x "$prefix/bin/trellion" ] && [ -x "$prefix/bin/trellion-cli" ] || fail "programs not executable"

echo "-- validators"
desktop-file-validate "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$id.metainfo.xml" ||
    fail "the metadata does not name release $version"
xmllint --noout "$prefix/share/mime/packages/$id.xml" "$prefix/share/icons/hicolor/scalable/apps/$id.svg"

# The menu entry offers the window for ILDA files, handing it the files chosen; the metadata
# names the file type.
desktop=$prefix/share/applications/$id.desktop
grep -qx 'Exec=trellion %F' "$desktop" || fail "the desktop entry does not pass files (Exec)"
grep -qx 'MimeType=application/x-ilda;' "$desktop" || fail "the desktop entry names no ILDA type"
grep -q '<mediatype>application/x-ilda</mediatype>' "$prefix/share/metainfo/$id.metainfo.xml" ||
    fail "the metadata does not name the ILDA type"

# The file type as the desktop sees it once the database is built: glob and magic.
out=$(update-mime-database "$prefix/share/mime" 2>&1) || fail "update-mime-database: $out"
grep -qx '50:application/x-ilda:\*\.ild' "$prefix/share/mime/globs2" ||
    fail "no glob *.ild in the MIME database"
grep -qa 'application/x-ilda' "$prefix/share/mime/magic" && grep -qa 'ILDA' "$prefix/share/mime/magic" ||
    fail "no magic ILDA in the MIME database"

# 256 x 256 pixels: the PNG header's width and height.
size=$(od -An -tu1 -j16 -N8 "$prefix/share/icons/hicolor/256x256/apps/$id.png" | tr -s ' ')
[ "$size" = " 0 0 1 0 0 0 1 0" ] || fail "the PNG icon is not 256 x 256 ($size)"

echo "-- the installed trellion-cli"
cli=$prefix/bin/trellion-cli
[ "$("$cli" --version)" = "trellion-cli $version" ] || fail "trellion-cli --version"
[ "$("$cli" convert --version)" = "trellion-cli $version" ] || fail "trellion-cli convert --version"

# Every command the program lists has its section in the manual page.
page=$(gzip -dc "$prefix/share/man/man1/trellion-cli.1.gz")
commands=$("$cli" --help | sed -n 's/^  \([a-z][a-z0-9-]*\)  .*/\1/p')
[ -n "$commands" ] || fail "trellion-cli --help lists no commands"
for c in $commands; do
    grep -qx ".SS ${c//-/\\\\-}" <<<"$page" || fail "the manual page has no section for $c"
done
grep -q "trellion\\\\-cli $version" <<<"$page" || fail "man page version"
# Both pages as man shows them, without a warning from the formatter.
for p in trellion trellion-cli; do
    out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$p.1.gz" 2>&1 >/dev/null) ||
        fail "man $p: $out"
    [ -z "$out" ] || fail "man $p warns: $out"
done
gzip -dc "$prefix/share/doc/trellion/changelog.gz" | grep -q "^trellion ($version) " ||
    fail "the changelog does not name version $version"

# A two-point ILDA file (format 0) with its closing header, converted by the installed copy.
export HOME=$work/home
unset WINEPREFIX XDG_DATA_HOME
mkdir -p "$HOME" "$work/scenes"
header() { printf 'ILDA\0\0\0\0beam\0\0\0\0test\0\0\0\0\0'"$1"'\0\0\0\1\0\0'; }
{
    header '\2'
    printf '\0\0\0\0\0\0\0\1\1\0\1\0\0\0\200\1' # the second point is the last
    header '\0'
} >"$work/beam.ild"
"$cli" convert "$work/beam.ild" -o "$work/scenes" >/dev/null
[ "$(head -c4 "$work/scenes/beam.scn")" = SCN7 ] || fail "the conversion wrote no scene file"

echo "-- thumbnailer"
thumbnailer=$prefix/share/thumbnailers/trellion.thumbnailer
[ "$(head -n1 "$thumbnailer")" = "[Thumbnailer Entry]" ] || fail "thumbnailer: no entry group"
grep -qx 'MimeType=application/x-ilda;' "$thumbnailer" || fail "thumbnailer: no ILDA type"
tryexec=$(sed -n 's/^TryExec=//p' "$thumbnailer")
exec_line=$(sed -n 's/^Exec=//p' "$thumbnailer")
[ -n "$tryexec" ] && [ -n "$exec_line" ] || fail "thumbnailer: no TryExec or Exec"
# A file manager finds the programs in PATH, splits the Exec line into words and puts the size,
# the input file and the output file in place of %s, %i and %o; names with spaces stay whole.
thumbnail() { # SIZE INPUT OUTPUT
    local word words=()
    read -ra split <<<"$exec_line"
    for word in "${split[@]}"; do
        case $word in
            %s) words+=("$1") ;;
            %i) words+=("$2") ;;
            %o) words+=("$3") ;;
            *) words+=("$word") ;;
        esac
    done
    PATH=$prefix/bin:$PATH "${words[@]}"
}
PATH=$prefix/bin:$PATH command -v "$tryexec" >/dev/null || fail "thumbnailer: no $tryexec"
# A diagonal line across the whole range, in the Ilda palette's colour 1.
{
    header '\2'
    printf '\301\200\301\200\0\0\0\1\076\200\076\200\0\0\200\1'
    header '\0'
} >"$work/laser show.ild"
thumbnail 128 "$work/laser show.ild" "$work/thumb nail.png" || fail "the thumbnailer failed"
read -r size lit < <("$pngprobe" "$work/thumb nail.png") || fail "the thumbnail is no PNG"
[ "$size" = 128x128 ] || fail "the thumbnail is $size, not 128x128"
[ "$lit" -gt 0 ] || fail "the thumbnail is blank"
# A file without points draws nothing: no picture, a failure for the file manager to show.
header '\0' >"$work/empty.ild"
if thumbnail 128 "$work/empty.ild" "$work/empty.png" 2>/dev/null; then
    fail "the thumbnailer succeeded for a file without points"
fi
[ ! -e "$work/empty.png" ] || fail "the thumbnailer wrote a picture of a file without points"

echo "-- shell completion"
bash -n "$prefix/share/bash-completion/completions/trellion-cli"
completions=$(
    PATH=$prefix/bin:$PATH
    _init_completion() {
        cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
        words=("${COMP_WORDS[@]}") cword=$COMP_CWORD
    }
    _filedir() { COMPREPLY=("files:${1:-any}"); }
    source "$prefix/share/bash-completion/completions/trellion-cli"
    complete_words() {
        COMP_WORDS=("$@") COMP_CWORD=$(($# - 1))
        _trellion_cli
        echo "${COMPREPLY[*]}"
    }
    complete_words trellion-cli conv
    complete_words trellion-cli convert --pal
    complete_words trellion-cli resave --palette x
    complete_words trellion-cli scene-info ''
    complete_words trellion-cli che
    complete_words trellion-cli check --j
    complete_words trellion-cli check ''
    complete_words trellion-cli thumbnail --size 128 ''
    complete_words trellion-cli thumbnail --size 128 show.ild ''
)
[ "$completions" = $'convert\n--palette\nx29\nfiles:scn\ncheck\n--json\nfiles:ild\nfiles:ild\nfiles:png' ] ||
    fail "completions: $(printf '%q' "$completions")"

echo "install test passed"
