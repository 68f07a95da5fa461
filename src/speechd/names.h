// What sd_vokdar says for a character, a key and a punctuation mark, in the
// words Russian screen-reader users hear them by, and the text shaped by the
// punctuation and spelling settings before the chain reads it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// speech-dispatcher's punctuation modes: which marks are said by name.
enum class Punctuation { none, some, most, all };
// How a capital letter is told apart when letters are read one by one.
enum class Capitals { none, spell, icon };

// One letter or sign said by name; capital tells whether it was a capital
// letter (for a tone before it when capitals are told by an icon).
struct SpokenChar {
    std::string words;
    bool capital = false;
};

// The name of the first character of s (UTF-8).
SpokenChar char_name(std::string_view s, Capitals capitals);
// A key as speech-dispatcher names it ("a", "shift_a", "control_alt_delete",
// "kp-enter", "f5"): the names of the keys held, then the key's.
SpokenChar key_name(std::string_view key, Capitals capitals);
// Every character of text by name, in order; spaces and line ends are said too.
std::vector<SpokenChar> spell_text(std::string_view text, Capitals capitals);
// text with the marks the mode speaks put into words before the mark itself
// (so its pause stays). A mark inside a word or number ("кто-то", "3.14",
// "14:30") is left to the reader.
std::string shape_punctuation(std::string_view text, Punctuation mode);
