# The second field of each "word<TAB>reading" line from english.awk's one-byte
# code to Russian letters in UTF-8.
BEGIN {
    FS = OFS = "\t"
    n = split("a b v g d e E Q Z z i j k l m n o p r s t u f x c C S W Y ' U A O", code, " ")
    split("а б в г д е э э ж з и й к л м н о п р с т у ф х ц ч ш щ ы ь ю я ё", russian, " ")
    for (i = 1; i <= n; ++i)
        letter[code[i]] = russian[i]
}
{
    r = ""
    for (i = 1; i <= length($2); ++i)
        r = r letter[substr($2, i, 1)]
    print $1, r
}
