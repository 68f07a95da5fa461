// The file names of the voice's recordings: one character per syllable character.
#include "zvuki/recording_name.h"

#include <cstring>

namespace {

// Syllable characters and the file-name characters of their recordings.
struct SlogLetter {
    unsigned char letter;
    char file;
};
constexpr SlogLetter SLOG_LETTERS[] = {
    {0xE0, 'a'},  {0xE1, 'b'}, {0xE2, 'v'}, {0xE3, 'g'}, {0xE4, 'd'},  // а б в г д
    {0xE5, 'e'},  {0xB8, '~'}, {0xE6, '!'}, {0xE7, 'z'}, {0xE8, 'i'},  // е ё ж з и
    {0xE9, 'y'},  {0xEA, 'k'}, {0xEB, 'l'}, {0xEC, 'm'}, {0xED, 'n'},  // й к л м н
    {0xEE, 'o'},  {0xEF, 'p'}, {0xF0, 'r'}, {0xF1, 's'}, {0xF2, 't'},  // о п р с т
    {0xF3, 'u'},  {0xF4, 'f'}, {0xF5, 'h'}, {0xF6, 'c'}, {0xF7, 'x'},  // у ф х ц ч
    {0xF8, 'w'},  {0xF9, '@'}, {0xFB, 'j'}, {0xFC, '\''}, {0xFD, '$'}, // ш щ ы ь э
    {0xFE, '%'},  {0xFF, 'q'}, {'#', '#'},  {'1', '1'},                // ю я # 1
};

// The file-name character of every byte, '\0' for one without.
constexpr std::array<char, 256> FILE_CHAR_TABLE = [] {
    std::array<char, 256> t{};
    for (const SlogLetter& m : SLOG_LETTERS)
        t[m.letter] = m.file;
    return t;
}();

}  // namespace

bool recording_file_name(const char* slog, std::size_t length, std::array<char, RECORDING_NAME_BYTES>& name)
{
    if (length > SLOG_BYTES - 1)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        const char f = FILE_CHAR_TABLE[static_cast<unsigned char>(slog[i])];
        if (f == '\0')
            return false;
        name[i] = f;
    }
    std::memcpy(name.data() + length, RECORDING_EXTENSION, sizeof RECORDING_EXTENSION);
    return true;
}

bool variant_file_name(const char* slog, std::size_t length, char suffix, std::array<char, RECORDING_NAME_BYTES>& name)
{
    if (length + 1 + sizeof RECORDING_EXTENSION > RECORDING_NAME_BYTES || !recording_file_name(slog, length, name))
        return false;
    name[length] = suffix;
    std::memcpy(name.data() + length + 1, RECORDING_EXTENSION, sizeof RECORDING_EXTENSION);
    return true;
}

bool take_file_name(const char* recording, int take, std::array<char, RECORDING_NAME_BYTES>& name)
{
    const std::size_t length = strnlen(recording, RECORDING_NAME_BYTES);
    const std::size_t extension = sizeof RECORDING_EXTENSION - 1;
    if (take < 1 || take > TAKES_MOST || length <= extension || length + 2 >= RECORDING_NAME_BYTES ||
        std::strcmp(recording + length - extension, RECORDING_EXTENSION) != 0)
        return false;
    const std::size_t stem = length - extension;
    std::memcpy(name.data(), recording, stem);
    name[stem] = TAKE_MARK;
    name[stem + 1] = static_cast<char>('0' + take);
    std::memcpy(name.data() + stem + 2, RECORDING_EXTENSION, sizeof RECORDING_EXTENSION);
    return true;
}
