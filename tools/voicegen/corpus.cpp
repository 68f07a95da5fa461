// The corpus reader: sentence list, phone labels and WAV audio.
#include "corpus.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

std::uint32_t le32(const std::string& b, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

std::uint16_t le16(const std::string& b, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      static_cast<unsigned char>(b[at + 1]) << 8);
}

bool read_file(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    return !in.bad();
}

}  // namespace

bool held_out(int number) { return number % 10 == 0; }

bool phone_is(const Phone& p, const char* name) { return std::strcmp(p.name.data(), name) == 0; }

std::string sentence_file(const std::string& dir, int number, const char* kind)
{
    char name[32];
    std::snprintf(name, sizeof name, "/%s/ru_%04d.%s", kind, number, kind);
    return dir + name;
}

bool read_sentence_list(const std::string& path, std::vector<int>& numbers, std::vector<std::string>* texts)
{
    std::ifstream in(path);
    if (!in)
        return false;
    numbers.clear();
    if (texts != nullptr)
        texts->clear();
    std::string line;
    while (std::getline(in, line)) {
        int number = 0;
        char open = 0;
        // "( ru_0001 "text" )"; other lines are not sentences.
        if (std::sscanf(line.c_str(), " %c ru_%d", &open, &number) == 2 && open == '(' && number > 0) {
            numbers.push_back(number);
            if (texts == nullptr)
                continue;
            const std::size_t first = line.find('"');
            const std::size_t last = line.rfind('"');
            texts->push_back(first < last ? line.substr(first + 1, last - first - 1) : std::string());
        }
    }
    return !numbers.empty();
}

bool read_labels(const std::string& path, std::vector<Phone>& phones)
{
    std::ifstream in(path);
    if (!in)
        return false;
    phones.clear();
    std::string line;
    bool header = false;
    double start = 0;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!header) {
            if (line != "#")
                return false;
            header = true;
            continue;
        }
        if (line.empty())
            continue;
        std::istringstream fields(line);
        double end = 0;
        int colour = 0;
        std::string name, extra;
        if (!(fields >> end >> colour >> name) || (fields >> extra) || name.size() >= PHONE_NAME_BYTES ||
            end < start)
            return false;
        Phone p;
        std::memcpy(p.name.data(), name.c_str(), name.size() + 1);
        p.start = start;
        p.end = end;
        phones.push_back(p);
        start = end;
    }
    return header && !phones.empty();
}

bool read_wav(const std::string& path, std::vector<std::int16_t>& samples, int& rate)
{
    std::string b;
    if (!read_file(path, b) || b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0)
        return false;
    bool format = false;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::string id = b.substr(at, 4);
        const std::uint32_t size = le32(b, at + 4);
        const std::size_t body = at + 8;
        if (size > b.size() - body) {
            // A data chunk cut short (a writer that never came back to the
            // header) still holds whole samples up to the end of the file.
            if (id != "data")
                return false;
        }
        const std::size_t length = std::min<std::size_t>(size, b.size() - body);
        if (id == "fmt ") {
            if (length < 16 || le16(b, body) != 1 || le16(b, body + 2) != 1 || le16(b, body + 14) != 16)
                return false;
            rate = static_cast<int>(le32(b, body + 4));
            format = rate > 0;
        } else if (id == "data") {
            if (!format)
                return false;
            samples.resize(length / 2);
            for (std::size_t i = 0; i < samples.size(); ++i)
                samples[i] = static_cast<std::int16_t>(le16(b, body + 2 * i));
            return true;
        }
        at = body + length + (length & 1);
    }
    return false;
}

bool read_corpus(const std::string& dir, std::vector<Sentence>& sentences, int kept_out)
{
    std::vector<int> numbers;
    std::vector<std::string> texts;
    if (!read_sentence_list(dir + "/etc/txt.done.data", numbers, &texts)) {
        std::fprintf(stderr, "voicegen: no sentence list in %s/etc/txt.done.data\n", dir.c_str());
        return false;
    }
    sentences.clear();
    for (std::size_t k = 0; k < numbers.size(); ++k) {
        const int number = numbers[k];
        if (held_out(number) || number % 10 == kept_out)
            continue;
        Sentence s;
        s.number = number;
        s.text = texts[k];
        const std::string lab = sentence_file(dir, number, "lab");
        const std::string wav = sentence_file(dir, number, "wav");
        if (!read_labels(lab, s.phone)) {
            std::fprintf(stderr, "voicegen: cannot read the labels %s\n", lab.c_str());
            return false;
        }
        if (!read_wav(wav, s.sample, s.rate)) {
            std::fprintf(stderr, "voicegen: cannot read %s (16-bit mono WAV expected)\n", wav.c_str());
            return false;
        }
        sentences.push_back(std::move(s));
    }
    return true;
}
