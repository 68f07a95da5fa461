# English words as Russian letters, from espeak-ng's English phonemes: each
# input line is "word<TAB>phonemes" (espeak-ng -x mnemonics), each output line
# "word<TAB>reading" with the reading in a one-byte code of Russian letters
# (see the table in make-english-words.sh; Q is a hard э). Reduced vowels, which the phonemes
# do not tell apart, take the vowel letter the spelling has there: "journal" →
# джорнал, "stable" → стейбл. Runs under any POSIX awk; bytes only.

function is_vowel_token(t) { return index("aA0VEeIi@3OoUu", substr(t, 1, 1)) > 0 }
function is_vowel_letter(c) { return index("aeiouy", c) > 0 }

# The next vowel letter of the spelling from sp on; a long vowel or a
# diphthong takes the whole run of vowel letters, a short one a single letter.
function take_letter(long,    c) {
    while (sp <= n && !is_vowel_letter(substr(word, sp, 1)))
        ++sp
    if (sp > n)
        return ""
    c = substr(word, sp, 1)
    ++sp
    if (long)
        while (sp <= n && is_vowel_letter(substr(word, sp, 1)))
            ++sp
    return c
}

# A reduced vowel as the spelling's letter says it.
function reduced(c) {
    if (c == "a") return "a"
    if (c == "o") return "o"
    if (c == "u") return "u"
    if (c == "i" || c == "y") return "i"
    return "E"   # e, or nothing left: е or э by what stands before
}
function r_coloured(c) {
    if (c == "i") return "Or"
    if (c == "o") return "or"
    if (c == "u") return "ur"
    if (c == "a") return "ar"
    return "Er"
}

# Whether the consonant before is one English says a "y" sound after in
# "ew", which the American voice drops: new, dew.
function prev_cons_soft(    p) {
    p = T[i - 1]
    return i > 1 && (p == "n" || p == "d" || p == "t" || p == "s" || p == "m" || p == "f" || p == "v")
}

BEGIN {
    FS = "\t"
    # Longest first: three, then two, then one character.
    ntok = split("aI@ aU@ aI3 aU3 i@3 eI aI OI aU oU I@ e@ U@ A@ O@ o@ O: A: i: u: 3: @L @2 @5 I2 I# tS dZ t# t2 d# a# aa 0# E2 E# n- l/ r-", TOK, " ")
}

{
    word = tolower($1)
    n = length(word)
    ph = $2
    gsub(/[%=_;!|]/, "", ph)
    # Split the phonemes into tokens; SECONDARY[k], PRIMARY[k]: a secondary or
    # primary stress mark stood before token k.
    k = 0
    mark = 0
    for (i = 1; i <= length(ph);) {
        if (substr(ph, i, 1) == ",") {
            mark = 1
            ++i
            continue
        }
        if (substr(ph, i, 1) == "'") {
            mark = 2
            ++i
            continue
        }
        t = ""
        for (j = 1; j <= ntok; ++j)
            if (substr(ph, i, length(TOK[j])) == TOK[j]) { t = TOK[j]; break }
        if (t == "")
            t = substr(ph, i, 1)
        T[++k] = t
        SECONDARY[k] = (mark == 1)
        PRIMARY[k] = (mark == 2)
        mark = 0
        i += length(t)
    }
    sp = 1
    out = ""
    prev_vowel = 1       # at the word's start: "э", not "е"
    for (i = 1; i <= k; ++i) {
        t = T[i]
        nx = (i < k) ? T[i + 1] : ""
        r = ""
        if (is_vowel_token(t)) {
            long = (length(t) > 1 && t != "I2" && t != "I#" && t != "@2" && t != "@5" && t != "a#" && t != "0#" && t != "E2" && t != "E#" && t != "@L")
            c = take_letter(long)
            if (t == "a") r = SECONDARY[i] ? "a" : "Q"   # black → блэк, telegram → телеграм
            else if (t == "a#" || t == "A:" || t == "aa" || t == "A") r = "a"
            else if (t == "A@") r = "ar"
            else if (t == "0" || t == "0#" || t == "O:" || t == "O" || t == "o") r = "o"
            else if (t == "O@" || t == "o@") r = "or"
            else if (t == "V") r = "a"
            else if (t == "E" || t == "E2" || t == "E#" || t == "e") r = "E"
            else if (t == "e@") r = "Er"
            else if ((t == "I" || t == "I2" || t == "I#") && c == "e" && !PRIMARY[i]) r = "E"   # telegram, marketing
            else if (t == "I" || t == "I2" || t == "I#" || t == "i" || t == "i:") r = "i"
            else if (t == "I@" || t == "i@3") r = "ir"
            else if (t == "u:" && substr(word, sp - 1, 2) == "ew" && prev_cons_soft()) r = "'U"   # new, news: нью
            else if (t == "u:" || t == "U" || t == "u") r = "u"
            else if (t == "U@") r = "ur"
            else if (t == "eI") r = "Ej"
            else if (t == "aI") r = "aj"
            else if (t == "OI") r = "oj"
            else if (t == "aU") r = "au"
            else if (t == "aI@" || t == "aI3") r = "ajr"
            else if (t == "aU@" || t == "aU3") r = "auEr"
            else if (t == "oU") r = (i == k || (i == k - 1 && (nx == "z" || nx == "s"))) ? "ou" : "o"
            else if (t == "3:") r = r_coloured(c)
            else if (t == "3") r = prev_vowel && i > 1 ? "r" : r_coloured(c == "i" ? "e" : c)
            else if (t == "@L") r = (c == "" || c == "e") ? "l" : reduced(c) "l"
            else r = reduced(c)      # @ @2 @5
            # e after a consonant is е, elsewhere э.
            if (substr(r, 1, 1) == "E" && !prev_vowel)
                r = "e" substr(r, 2)
            prev_vowel = (r !~ /[lr]$/ && r !~ /j$/)
        } else {
            if (t == "p") r = "p"
            else if (t == "b") r = "b"
            else if (t == "t" || t == "t#" || t == "t2") r = "t"
            else if (t == "d" || t == "d#") r = "d"
            else if (t == "k") r = "k"
            else if (t == "g") r = "g"
            else if (t == "f") r = "f"
            else if (t == "v") r = "v"
            else if (t == "T") r = "s"
            else if (t == "D") r = "z"
            else if (t == "s") r = "s"
            else if (t == "z") r = (i == k && substr(word, n, 1) == "s") ? "s" : "z"
            else if (t == "S") r = "S"
            else if (t == "Z") r = "Z"
            else if (t == "h" || t == "x" || t == "C") r = "x"
            else if (t == "m") r = "m"
            else if (t == "n" || t == "n-") r = "n"
            else if (t == "N") r = (nx == "k" || nx == "g") ? "n" : "ng"
            else if (t == "l" || t == "l/") r = "l"
            else if (t == "r" || t == "r-") r = "r"
            else if (t == "w") r = "v"
            else if (t == "tS") r = "C"
            else if (t == "dZ") r = "dZ"
            else if (t == "j") {
                if (nx == "u:" || nx == "U" || nx == "U@" || nx == "u") {
                    r = (i > 1 && !prev_vowel) ? "'U" : "U"
                    if (nx == "U@") r = r "r"
                    ++i
                    take_letter(1)
                } else
                    r = "j"
            }
            if (r != "")
                prev_vowel = 0
        }
        if (r ~ /r$/ && nx == "r")
            r = substr(r, 1, length(r) - 1)   # history: h'Ist3ri, one р
        out = out r
    }
    if (out != "" && n > 1)
        print word "\t" out
}
