// The sound stage's output: computed samples gathered into a block, lasting
// ones listed where they lie, all of it handed to the sink (for rech.wav one
// pwritev) per block's worth.
#include <algorithm>

#include "zvuki/sample_writer.h"

namespace {

// Silence, listed as often as needed.
alignas(64) const std::array<unsigned char, 65536> ZERO_BYTES{};
// Lasting bytes shorter than this are copied: a part costs more to list.
constexpr std::size_t LASTING_MIN_BYTES = 1024;

// Lists n bytes at data; those right behind the last part join it.
void add_part(SampleWriter& w, const unsigned char* data, std::size_t n)
{
    w.listed += static_cast<long long>(n);
    if (w.part_count > 0) {
        iovec& last = w.parts[static_cast<std::size_t>(w.part_count - 1)];
        if (static_cast<unsigned char*>(last.iov_base) + last.iov_len == data) {
            last.iov_len += n;
            w.pending += n;
            return;
        }
    }
    w.parts[static_cast<std::size_t>(w.part_count++)] = {const_cast<unsigned char*>(data), n};
    w.pending += n;
}

// Bytes still to list before a write is due: every write but the last takes
// exactly OUT_BLOCK_BYTES, so the writes stay shifted from the file's block
// boundaries by the header's 44 bytes. Lined up with them, they cost the
// system a sixth less up to a few gigabytes, but half again as much for a
// book of 14 GB once the page cache is under pressure.
std::size_t room_in_write(const SampleWriter& w) { return w.write_bytes - w.pending; }

// n bytes copied into the block from from, or zeros for a null from.
bool copy_bytes(SampleWriter& w, const unsigned char* from, std::size_t n)
{
    while (n > 0) {
        const std::size_t take = std::min(n, w.block.size() - w.used);
        if (from != nullptr) {
            std::memcpy(w.block.data() + w.used, from, take);
            from += take;
        } else {
            std::memset(w.block.data() + w.used, 0, take);
        }
        if (!commit_block(w, take))
            return false;
        n -= take;
    }
    return !w.failed;
}

}  // namespace

void writer_start(SampleWriter& w, SampleSink& sink)
{
    w.sink = &sink;
    // Whole samples in every write, none larger than the block.
    const std::size_t asked = sink.block_bytes - sink.block_bytes % SAMPLE_BYTES;
    w.write_bytes = asked < SAMPLE_BYTES || asked > OUT_BLOCK_BYTES ? OUT_BLOCK_BYTES : asked;
    w.listed = 0;
    w.used = 0;
    w.part_count = 0;
    w.pending = 0;
    w.failed = false;
}

bool flush_samples(SampleWriter& w)
{
    if (w.part_count > 0 && !w.failed && !w.sink->write(w.sink->user, w.parts.data(), w.part_count))
        w.failed = true;
    w.used = 0;
    w.part_count = 0;
    w.pending = 0;
    return !w.failed;
}

bool commit_block(SampleWriter& w, std::size_t n)
{
    while (n > 0) {
        const std::size_t room = room_in_write(w);
        const std::size_t take = std::min(n, room);
        add_part(w, w.block.data() + w.used, take);
        w.used += take;
        n -= take;
        if (take == room || w.part_count == OUT_PARTS) {
            // The bytes past the write's end move to the block's start for the next.
            const std::size_t rest = w.used;
            if (!flush_samples(w))
                return false;
            std::memmove(w.block.data(), w.block.data() + rest, n);
        }
    }
    return !w.failed;
}

bool put_samples(SampleWriter& w, const std::int16_t* samples, std::size_t m)
{
    while (m > 0) {
        const std::size_t take = std::min(m, (w.block.size() - w.used) / 2);
        samples_to_bytes(samples, w.block.data() + w.used, take);
        if (!commit_block(w, 2 * take))
            return false;
        samples += take;
        m -= take;
    }
    return !w.failed;
}

bool put_lasting(SampleWriter& w, const unsigned char* bytes, std::size_t n)
{
    if (n < LASTING_MIN_BYTES)
        return copy_bytes(w, bytes, n);
    while (n > 0) {
        const std::size_t room = room_in_write(w);
        const std::size_t take = std::min(n, room);
        add_part(w, bytes, take);
        bytes += take;
        n -= take;
        if ((take == room || w.part_count == OUT_PARTS) && !flush_samples(w))
            return false;
    }
    return !w.failed;
}

bool put_silence(SampleWriter& w, long long count)
{
    while (count > 0) {
        std::size_t bytes = ZERO_BYTES.size();
        if (static_cast<long long>(bytes / 2) > count)
            bytes = static_cast<std::size_t>(count) * 2;
        const bool ok = bytes < LASTING_MIN_BYTES ? copy_bytes(w, nullptr, bytes)
                                                  : put_lasting(w, ZERO_BYTES.data(), bytes);
        if (!ok)
            return false;
        count -= static_cast<long long>(bytes / 2);
    }
    return !w.failed;
}
