# shellcheck shell=bash
# The fortunes-ru files, split in two by a fixed rule: of the *.u8 files in
# C-sorted order, the 1st, 11th, 21st … (every 10th from the first: 10 of the
# 98 files, 365 KB of 3.5 MB) are kept for measuring the dictionary and never
# read by its generator:
#   2001.03 2002.01 2002.11 M$ b2 drink fomenko ill murphy sympathy
# The other 88 rank its words. A fortune that is in both halves (the monthly
# files repeat some) is left out of the ranking half.
# Sourced by tools/dictgen/make-dictionary.sh and bench/vowels.sh.
fortunes_dir=/usr/share/games/fortunes/ru

# fortunes_files measured|ranking: the files of that half, one a line.
fortunes_files()
{
    find "$fortunes_dir" -maxdepth 1 -name '*.u8' | LC_ALL=C sort |
        awk -v half="$1" '((NR - 1) % 10 == 0) == (half == "measured")'
}

# fortunes_ranking_text: the ranking half, fortune by fortune, without those
# the measured half has too (compared with their white space squeezed).
fortunes_ranking_text()
{
    local measured ranking
    measured=$(fortunes_files measured)
    ranking=$(fortunes_files ranking)
    # The file names have no white space; $measured and $ranking split on lines.
    # shellcheck disable=SC2086
    LC_ALL=C awk 'function key(s) { gsub(/[ \t\r\n]+/, " ", s); sub(/^ /, "", s); sub(/ $/, "", s); return s }
         BEGIN { RS = "\n%\n" }
         half == "measured" { held[key($0)] = 1; next }
         !(key($0) in held) { printf "%s\n%%\n", $0 }' half=measured $measured half=ranking $ranking
}
