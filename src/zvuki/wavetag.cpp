// The 44-byte RIFF WAVE header of rech.wav: 16-bit mono PCM at 22050 samples per second.
#include <cstdio>

#include "zvuki/sample_writer.h"
#include "zvuki/wav_header.h"

namespace {

constexpr std::uint16_t CHANNELS = SAMPLE_CHANNELS;
constexpr std::uint16_t BITS_PER_SAMPLE = 8 * SAMPLE_BYTES;
constexpr std::uint16_t BLOCK_ALIGN = CHANNELS * BITS_PER_SAMPLE / 8;
constexpr std::uint16_t FORMAT_PCM = 1;
constexpr std::uint32_t FORMAT_CHUNK_BYTES = 16;

void put_u16_le(unsigned char* at, std::uint16_t v)
{
    at[0] = static_cast<unsigned char>(v & 0xFF);
    at[1] = static_cast<unsigned char>(v >> 8);
}

void put_u32_le(unsigned char* at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>((v >> (8 * i)) & 0xFF);
}

void put_tag(unsigned char* at, const char (&tag)[5])
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(tag[i]);
}

}  // namespace

std::uint32_t wav_size_field(std::int64_t size)
{
    // Low bits of a longer size would name a short file that every reader
    // then misreads; the field's maximum is what WAV writers put there.
    if (size > WAV_SIZE_MAX)
        return static_cast<std::uint32_t>(WAV_SIZE_MAX);
    return static_cast<std::uint32_t>(size);
}

bool wav_too_long(std::int64_t total_length) { return total_length - 8 > WAV_SIZE_MAX; }

void wav_header_bytes(WavHeader& h, std::int64_t total_length)
{
    // The first call's length 0 gives the placeholders -8 and -44.
    const std::uint32_t riff_size = wav_size_field(total_length - 8);
    const std::uint32_t data_size = wav_size_field(total_length - WAV_HEADER_BYTES);

    put_tag(&h[0], "RIFF");                            // RIFF chunk id
    put_u32_le(&h[4], riff_size);                      // total_length - 8: everything after this field
    put_tag(&h[8], "WAVE");                            // form type
    put_tag(&h[12], "fmt ");                           // format chunk id
    put_u32_le(&h[16], FORMAT_CHUNK_BYTES);            // format chunk size: the 16 bytes up to "data"
    put_u16_le(&h[20], FORMAT_PCM);                    // format code: plain PCM
    put_u16_le(&h[22], CHANNELS);                      // channels: mono
    put_u32_le(&h[24], SAMPLE_RATE);                   // samples per second
    put_u32_le(&h[28], SAMPLE_RATE * BLOCK_ALIGN);     // byte rate: 22050 × 2
    put_u16_le(&h[32], BLOCK_ALIGN);                   // bytes per sample frame
    put_u16_le(&h[34], BITS_PER_SAMPLE);               // bits per sample
    put_tag(&h[36], "data");                           // data chunk id
    put_u32_le(&h[40], data_size);                     // total_length - 44: the sample bytes
}

bool Wavetag(TextFile& out, std::int64_t total_length)
{
    if (!text_set_binary(out))
        return false;
    text_seek(out, 0, SEEK_SET);
    WavHeader h;
    wav_header_bytes(h, total_length);
    text_write(out, h.data(), h.size());
    return true;
}

namespace {

// The samples go after everything the file holds; then the header's two
// sizes follow (also after a write the disk took only part of): a run killed
// at any moment, or stopped by a full disk, leaves a file that describes what
// it holds. Both sizes in one write: a run killed between two writes would
// leave them disagreeing.
bool write_to_wav(void* user, iovec* parts, int count)
{
    TextFile& f = *static_cast<TextFile*>(user);
    const bool ok = text_write_parts(f, parts, count);
    const long long length = text_tell(f);
    if (f.binary && f.pos == 0 && length >= WAV_HEADER_BYTES) {
        WavHeader h;
        wav_header_bytes(h, length);
        text_write_at(f, WAV_SIZES_FROM, h.data() + WAV_SIZES_FROM, h.size() - WAV_SIZES_FROM);
    }
    return ok;
}

}  // namespace

bool wav_start(TextFile& file) { return Wavetag(file, 0); }

SampleSink wav_sink(TextFile& file)
{
    SampleSink sink;
    sink.user = &file;
    sink.write = write_to_wav;
    return sink;
}

bool wav_finish(TextFile& file, long long& total_length)
{
    // Everything goes to the disk first, so the length measured is what the
    // file really holds even when the disk filled up.
    const bool flushed = text_flush(file);
    const long long pos = text_tell(file);
    text_seek(file, 0, SEEK_END);
    total_length = text_tell(file);
    text_seek(file, pos, SEEK_SET);
    Wavetag(file, total_length);
    return text_flush(file) && flushed && !file.failed;
}
