// A small reader of the SSML subset speech-dispatcher and screen readers send.
#include "speechd/ssml.h"

#include "common/cp1251.h"

#include <cstdint>
#include <cstdlib>

namespace {

struct Entity {
    std::string_view name;
    char value;
};
const Entity ENTITIES[] = {{"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};

// Appends the text of s with its entities decoded; an entity we do not know
// stays as it was written.
void append_text(std::string& out, std::string_view s)
{
    for (std::size_t i = 0; i < s.size(); ++i) {
        const std::size_t semi = s[i] == '&' ? s.find(';', i) : std::string_view::npos;
        if (semi == std::string_view::npos || semi - i > 10) {
            out += s[i];
            continue;
        }
        const std::string_view name = s.substr(i + 1, semi - i - 1);
        bool known = false;
        for (const Entity& e : ENTITIES)
            if (name == e.name) {
                out += e.value;
                known = true;
            }
        if (!known && name.size() > 1 && name[0] == '#') {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            const std::string digits(name.substr(hex ? 2 : 1));
            char* end = nullptr;
            const unsigned long code = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
            if (!digits.empty() && *end == '\0' && code > 0 && code <= 0x10FFFF) {
                char utf8[UTF8_MAX_BYTES];
                out.append(utf8, utf8_encode(static_cast<std::uint32_t>(code), utf8));
                known = true;
            }
        }
        if (!known) {
            out += s[i];
            continue;
        }
        i = semi;
    }
}

// The value of attribute name in the inside of a tag, entities decoded; "" when absent.
std::string attribute(std::string_view tag, std::string_view name)
{
    std::size_t at = 0;
    while ((at = tag.find(name, at)) != std::string_view::npos) {
        const bool starts = at > 0 && (tag[at - 1] == ' ' || tag[at - 1] == '\t' || tag[at - 1] == '\n');
        std::size_t i = at + name.size();
        at = i;
        while (i < tag.size() && tag[i] == ' ')
            ++i;
        if (!starts || i >= tag.size() || tag[i] != '=')
            continue;
        ++i;
        while (i < tag.size() && tag[i] == ' ')
            ++i;
        if (i >= tag.size() || (tag[i] != '"' && tag[i] != '\''))
            continue;
        const std::size_t close = tag.find(tag[i], i + 1);
        if (close == std::string_view::npos)
            return {};
        std::string value;
        append_text(value, tag.substr(i + 1, close - i - 1));
        return value;
    }
    return {};
}

bool is_spelled(std::string_view interpret_as)
{
    return interpret_as == "characters" || interpret_as == "spell" || interpret_as == "tts:char" ||
           interpret_as == "letters";
}

class Reader {
public:
    std::vector<SsmlPiece> pieces;

    Reader() { pieces.emplace_back(); }

    void text(std::string_view s)
    {
        if (skip_depth_ == 0)
            append_text(pieces.back().text, s);
    }

    void tag(std::string_view inside)
    {
        const bool closing = !inside.empty() && inside[0] == '/';
        if (closing)
            inside.remove_prefix(1);
        const bool empty = !inside.empty() && inside.back() == '/';
        std::size_t n = 0;
        while (n < inside.size() && inside[n] != ' ' && inside[n] != '/' && inside[n] != '\t' && inside[n] != '\n')
            ++n;
        const std::string_view name = inside.substr(0, n);
        if (name == "sub") {
            if (closing) {
                skip_depth_ = skip_depth_ > 0 ? skip_depth_ - 1 : 0;
            } else if (const std::string alias = attribute(inside, "alias"); !alias.empty() || !empty) {
                if (skip_depth_ == 0)
                    pieces.back().text += alias;
                if (!empty)
                    ++skip_depth_;
            }
        } else if (skip_depth_ > 0) {
            return;
        } else if (name == "mark" && !closing) {
            pieces.back().mark = attribute(inside, "name");
            start(pieces.back().spell);
        } else if (name == "say-as") {
            if (closing && spell_depth_ > 0) {
                if (--spell_depth_ == 0)
                    start(false);
            } else if (!closing && !empty && (spell_depth_ > 0 || is_spelled(attribute(inside, "interpret-as")))) {
                if (spell_depth_++ == 0)
                    start(true);
            }
        } else if (name == "break" && !closing) {
            pieces.back().text += ", ";
        }
    }

private:
    int skip_depth_ = 0;   // inside a <sub> whose alias stands for its content
    int spell_depth_ = 0;  // inside <say-as> that spells

    // A new piece; the one before is kept only when it holds something.
    void start(bool spell)
    {
        SsmlPiece& last = pieces.back();
        if (last.text.empty() && last.mark.empty())
            last.spell = spell;
        else
            pieces.push_back(SsmlPiece{{}, spell, {}});
    }
};

}  // namespace

std::vector<SsmlPiece> read_ssml(std::string_view ssml)
{
    Reader r;
    std::size_t i = 0;
    while (i < ssml.size()) {
        const std::size_t lt = ssml.find('<', i);
        r.text(ssml.substr(i, lt == std::string_view::npos ? std::string_view::npos : lt - i));
        if (lt == std::string_view::npos)
            break;
        std::string_view rest = ssml.substr(lt);
        std::size_t end;
        if (rest.starts_with("<!--")) {
            end = ssml.find("-->", lt + 4);
            i = end == std::string_view::npos ? ssml.size() : end + 3;
            continue;
        }
        end = ssml.find('>', lt);
        if (end == std::string_view::npos)
            break;  // a tag cut off: never spoken
        const std::string_view inside = ssml.substr(lt + 1, end - lt - 1);
        if (!inside.empty() && inside[0] != '?' && inside[0] != '!')
            r.tag(inside);
        i = end + 1;
    }
    if (r.pieces.size() > 1 && r.pieces.back().text.empty() && r.pieces.back().mark.empty())
        r.pieces.pop_back();
    return r.pieces;
}
