#!/usr/bin/env bash
# Writes the manual page of hengjian-cli from the program's own help texts, so that the page
# never drifts from the options:  make-manpage.sh CLI OUTPUT.1 [VERSION]
set -euo pipefail
cli=$1
out=$2
version=${3:-}
export LC_ALL=C.UTF-8

# (sed -n 1p, not head: head may close the pipe early, and pipefail turns that into a failure.)

# Help text as roff: verbatim lines with minus signs, backslashes and leading dots escaped.
verbatim() {
    printf '.nf\n'
    sed -e 's/\\/\\e/g' -e 's/-/\\-/g' -e 's/^[.'"'"']/\\\&&/'
    printf '.fi\n'
}

# The names listed under "Subcommands:" in a help text.
subcommands() {
    awk '/^Subcommands:/ {s = 1; next} s && /^  [a-z]/ {print $1} s && /^[^ ]/ {s = 0}'
}

# A help text without its first (description) line and the two help options every command has.
body() {
    sed -e '1,/^Usage:/{/^Usage:/!d}' -e '/^  -h,--help /d' -e '/^  --help-all /d' |
        awk '/^[A-Z][a-z]*:$/ {held = $0; next}
             held != "" {if ($0 != "") print held; held = ""}
             {print}'
}

top=$("$cli" --help)
description=$(printf '%s\n' "$top" | sed -n 1p)
date=$(date -u -d "@${SOURCE_DATE_EPOCH:-$(date +%s)}" +%Y-%m-%d)

tmp=$(mktemp "${out}.XXXXXX")
trap 'rm -f "$tmp"' EXIT
{
    printf '.TH HENGJIAN\\-CLI 1 "%s" "hengjian-cli %s" "User Commands"\n' "$date" "$version"
    printf '.SH NAME\nhengjian\\-cli \\- %s\n' "$(printf '%s' "${description#*— }" | sed 's/-/\\-/g')"
    printf '.SH SYNOPSIS\n.B hengjian\\-cli\n[\\fB\\-\\-data\\-dir\\fR \\fIDIR\\fR] \\fICOMMAND\\fR [\\fIARGS\\fR...]\n'
    printf '.br\n.B hengjian\\-cli\n\\fICOMMAND\\fR \\fB\\-\\-help\\fR\n'
    printf '.SH DESCRIPTION\n'
    printf '%s\n' "$description" | sed 's/-/\\-/g'
    printf '.PP\nThe engine of the desktop program \\fBhengjian\\fR(1) on the command line, for scripting, batch work and checks: it gives the same results because it calls the same functions.\n'
    printf '.SH OPTIONS\n'
    printf '%s\n' "$top" | sed -e '1,/^Usage:/d' | sed -e '/^Subcommands:/,$d' | verbatim
    printf '.SH COMMANDS\n'
    for c in $(printf '%s\n' "$top" | subcommands); do
        help=$("$cli" "$c" --help)
        printf '.SS %s\n' "$c"
        printf '%s\n' "$help" | sed -n 1p | sed 's/-/\\-/g'
        printf '.PP\n'
        printf '%s\n' "$help" | body | verbatim
        for s in $(printf '%s\n' "$help" | subcommands); do
            sub=$("$cli" "$c" "$s" --help)
            printf '.SS "%s %s"\n' "$c" "$s"
            printf '%s\n' "$sub" | sed -n 1p | sed 's/-/\\-/g'
            printf '.PP\n'
            printf '%s\n' "$sub" | body | verbatim
        done
    done
    printf '.SH NOTES\n'
    printf '%s\n' "$top" | sed -e '1,/^Subcommands:/d' | sed -e '1,/^$/d' | verbatim
    printf '.SH ENVIRONMENT\n'
    printf '.TP\n.B HENGJIAN_HOME\nThe data folder, when \\fB\\-\\-data\\-dir\\fR is not given.\n'
    printf '.TP\n.B XDG_DATA_HOME\nBase of the data folder of an installed copy (default \\fI~/.local/share\\fR).\n'
    printf '.SH FILES\n'
    printf '.TP\n.I dat/bzinit.ini\nSettings; section [set] steers the chart.\n'
    printf '.TP\n.I dat/dili.ini\nProvinces and places with their longitudes and latitudes.\n'
    printf '.TP\n.I dat/bazi0.dat, dat/bazi1.dat, ...\nThe case store.\n'
    printf '.TP\n.I bazi_f/N.rtf\nThe stored report of case N.\n'
    printf '.SH EXIT STATUS\n0 on success, 1 on any error (the message goes to standard error).\n'
    printf '.SH SEE ALSO\n.BR hengjian (1)\n'
} >"$tmp"
chmod 644 "$tmp"
mv "$tmp" "$out"
trap - EXIT
