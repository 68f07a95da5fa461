# Feminine nouns among hunspell-ru's word forms (code page 1251, one a line,
# as unmunch expands them). Writes "F stem" for a noun in -а/-я, by the stem
# its endings follow (книг: книга, книги, книгу …), and "S word" for a noun in
# -ь (ночь). A stem is feminine when it has the nominative, the accusative and
# the instrumental singular of that declension and its instrumental plural,
# and no masculine or neuter instrumental (столом, учителем); masculine nouns
# in -а (мужчина) cannot be told from the forms and are left to a hand list.
# Names (a capital letter) are skipped.
function has(w) { return w in form }
# A masculine or neuter noun's instrumental on s, unless an adjective's ("тонном").
function masculine(s) {
    return (has(s "\xee\xec") || has(s "\xe5\xec") || has(s "\xb8\xec")) && !has(s "\xee\xe3\xee") && !has(s "\xe5\xe3\xee")
}
$1 !~ /[\300-\337\250]/ { form[$1] = 1 }
END {
    for (w in form) {
        n = length(w)
        if (n < 3) continue
        last = substr(w, n, 1); s = substr(w, 1, n - 1)
        hard = last == "\xe0" && has(s "\xf3") && has(s "\xe0\xec\xe8")
        soft = last == "\xff" && has(s "\xfe") && has(s "\xff\xec\xe8")
        instrumental = has(s "\xee\xe9") || has(s "\xee\xfe") || has(s "\xe5\xe9") || has(s "\xe5\xfe")
        if ((hard || soft) && instrumental && !masculine(s))
            print "F " s
        else if (last == "\xfc" && has(s "\xfc\xfe") && (has(s "\xff\xec\xe8") || has(s "\xe0\xec\xe8")))
            print "S " w
    }
}
