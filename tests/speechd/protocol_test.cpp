// The protocol's framing: commands, settings, dot-stuffing, escaped audio.
#include "speechd/protocol.h"

#include <gtest/gtest.h>

#include <unistd.h>

TEST(SpeechdProtocol, CommandsAndSettingsAreRecognised)
{
    EXPECT_EQ(parse_command("SPEAK"), Command::speak);
    EXPECT_EQ(parse_command("LIST VOICES"), Command::list_voices);
    EXPECT_EQ(parse_command("STOP\r"), Command::stop);
    EXPECT_EQ(parse_command("SPEAKER"), Command::unknown);
    EXPECT_EQ(parse_command("speak"), Command::unknown);
    std::string name, value;
    ASSERT_TRUE(split_setting("synthesis_voice=NULL", name, value));
    EXPECT_EQ(name, "synthesis_voice");
    EXPECT_EQ(value, "NULL");
    ASSERT_TRUE(split_setting("x=a=b", name, value));
    EXPECT_EQ(value, "a=b");
    EXPECT_FALSE(split_setting("rate", name, value));
    EXPECT_EQ(unstuff_line(".."), ".");
    EXPECT_EQ(unstuff_line("..."), "..");
    EXPECT_EQ(unstuff_line("a.."), "a..");
}

TEST(SpeechdProtocol, LinesAreReadWhateverTheChunksAndTheLastNeedsNoLineFeed)
{
    int p[2];
    ASSERT_EQ(pipe(p), 0);
    const std::string text = "SET\nrate=1\n\nlast";
    for (char c : text)
        ASSERT_EQ(write(p[1], &c, 1), 1);
    close(p[1]);
    LineReader reader(p[0]);
    std::string line;
    std::vector<std::string> lines;
    while (reader.next(line))
        lines.push_back(line);
    close(p[0]);
    EXPECT_EQ(lines, (std::vector<std::string>{"SET", "rate=1", "", "last"}));
}

TEST(SpeechdProtocol, AudioBytesThatLookLikeLineEndsOrEscapesAreEscaped)
{
    // Low and high bytes 0x0A and 0x7D, and ordinary ones.
    const std::int16_t samples[] = {0x0A0A, 0x7D7D, 0x0A7D, 0x1234, -1};
    const std::string e = audio_event(samples, 5, 22050);
    const std::string head =
        "705-bits=16\n705-num_channels=1\n705-sample_rate=22050\n705-num_samples=5\n705-big_endian=0\n705-AUDIO";
    ASSERT_EQ(e.substr(0, head.size()), head);
    ASSERT_EQ(e[head.size()], '\0');
    const std::string tail = "\n705 AUDIO\n";
    ASSERT_EQ(e.substr(e.size() - tail.size()), tail);
    const std::string data = e.substr(head.size() + 1, e.size() - head.size() - 1 - tail.size());
    EXPECT_EQ(data.find('\n'), std::string::npos);
    EXPECT_EQ(data, std::string("\x7D\x2A\x7D\x2A\x7D\x5D\x7D\x5D\x7D\x5D\x7D\x2A\x34\x12\xFF\xFF", 16));
    EXPECT_EQ(mark_event("__spd_1"), "700-__spd_1\n700 INDEX MARK\n");
}
