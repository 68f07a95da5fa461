# Each input line as a C string literal ending in "\n", every byte above 0x7F
# as an octal escape and a tab as "\t": the body of a generated block of lines.
BEGIN { for (i = 128; i < 256; ++i) octal[sprintf("%c", i)] = sprintf("\\%03o", i); octal["\t"] = "\\t" }
{
    line = "    \""
    for (i = 1; i <= length($0); ++i) {
        c = substr($0, i, 1)
        line = line ((c in octal) ? octal[c] : c)
    }
    print line "\\n\""
}
