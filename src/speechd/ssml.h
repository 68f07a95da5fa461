// The SSML speech-dispatcher sends, read into the text to speak and the index
// marks between its pieces. Tags are never spoken: <mark/> ends a piece,
// <say-as interpret-as="characters"> asks for spelling, <sub alias> gives the
// alias, <break/> pauses as a comma does; every other tag is dropped and its
// content kept.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct SsmlPiece {
    std::string text;   // UTF-8, entities decoded
    bool spell = false; // to be read letter by letter
    std::string mark;   // the mark reached after this piece; empty for none
};

std::vector<SsmlPiece> read_ssml(std::string_view ssml);
