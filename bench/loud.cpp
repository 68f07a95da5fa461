#include "loud.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

bool read_raw(const char* path, std::vector<double>& x)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    x.resize(bytes.size() / 2);
    for (std::size_t i = 0; i < x.size(); ++i) {
        const auto lo = static_cast<unsigned char>(bytes[2 * i]);
        const auto hi = static_cast<unsigned char>(bytes[2 * i + 1]);
        x[i] = static_cast<short>(lo | hi << 8);
    }
    return true;
}

std::vector<Cepstrum> loud_cepstra(const std::vector<double>& x, std::vector<std::size_t>* index)
{
    std::vector<Cepstrum> all;
    std::vector<double> energy;
    signal_cepstra(x, all, energy);
    const double loudest = *std::max_element(energy.begin(), energy.end());
    std::vector<Cepstrum> kept;
    for (std::size_t f = 0; f < all.size(); ++f)
        if (energy[f] > loudest - DROP_DB) {
            kept.push_back(all[f]);
            if (index)
                index->push_back(f);
        }
    return kept;
}
