// The module as speech-dispatcher drives it, on pipes: replies and events in
// order, the audio the engine makes, marks, letters and keys, STOP and PAUSE.
#include "session.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

std::vector<std::string> lines_of(const std::vector<ModuleEvent>& events)
{
    std::vector<std::string> lines;
    for (const ModuleEvent& e : events)
        if (lines.empty() || e.line != "705 AUDIO" || lines.back() != "705 AUDIO")
            lines.push_back(e.mark.empty() ? e.line : e.line + " " + e.mark);
    return lines;
}

}  // namespace

TEST(SpeechdModule, SpeaksAMessageAsTheEngineDoesWithEventsInOrder)
{
    ModuleSession m(test_module_config());
    m.start();
    m.set("rate=0\npitch=0\nvolume=100\npunctuation_mode=none\nspelling_mode=off\ncap_let_recogn=none\n"
          "voice=male1\nlanguage=ru\nsynthesis_voice=NULL");
    m.speak("SPEAK", "<speak>Мама мыла раму.</speak>");
    std::vector<std::int16_t> played;
    const auto events = m.until_end(&played);
    EXPECT_EQ(lines_of(events), (std::vector<std::string>{"701 BEGIN", "705 AUDIO", "702 END"}));
    const std::vector<std::int16_t> expected = engine_speech("Мама мыла раму.");
    ASSERT_GT(expected.size(), 1000u);
    EXPECT_TRUE(played == expected) << played.size() << " samples played, " << expected.size() << " expected";
    // A second message needs no new INIT, and the rate and volume settings apply.
    m.set("rate=50\nvolume=-50");
    EXPECT_TRUE(m.say("SPEAK", "<speak>Мама мыла раму.</speak>") == engine_speech("Мама мыла раму.", 50, -50));
}

TEST(SpeechdModule, IndexMarksComeBetweenTheAudioOfTheirPieces)
{
    ModuleSession m(test_module_config());
    m.start();
    m.speak("SPEAK", "<speak>Мама мыла раму.<mark name=\"__spd_0\"/> Папа читал.<mark name=\"__spd_1\"/> "
                     "Конец</speak>");
    const auto lines = lines_of(m.until_end());
    EXPECT_EQ(lines, (std::vector<std::string>{"701 BEGIN", "705 AUDIO", "700 INDEX MARK __spd_0", "705 AUDIO",
                                               "700 INDEX MARK __spd_1", "705 AUDIO", "702 END"}));
}

TEST(SpeechdModule, CharactersAndKeysAreSpokenByName)
{
    ModuleSession m(test_module_config());
    m.start();
    const struct {
        const char* command;
        const char* body;
        const char* name;
    } cases[] = {{"CHAR", "б", "бэ"}, {"KEY", "space", "пробел"}, {"KEY", "enter", "ввод"}, {"CHAR", ".", "точка"},
                 {"KEY", "shift_F", "шифт эф"}};
    for (const auto& c : cases) {
        m.speak(c.command, c.body);
        std::vector<std::int16_t> played;
        const auto lines = lines_of(m.until_end(&played));
        EXPECT_EQ(lines.back(), "702 END") << c.body;
        EXPECT_TRUE(played == engine_speech(c.name)) << c.body;
    }
    // A capital told by a tone: the tone, then the letter.
    m.set("cap_let_recogn=icon");
    const std::vector<std::int16_t> played = m.say("CHAR", "Б");
    const std::vector<std::int16_t> letter = engine_speech("бэ");
    EXPECT_GE(played.size(), letter.size() + 1200);  // 60 ms of tone before it
}

TEST(SpeechdModule, PunctuationAllSpeaksTheMarks)
{
    ModuleSession m(test_module_config());
    m.start();
    m.set("punctuation_mode=all");
    EXPECT_TRUE(m.say("SPEAK", "<speak>Да, нет.</speak>") == engine_speech("Да запятая, нет точка."));
}

TEST(SpeechdModule, StopAndPauseEndALongMessageAtOnce)
{
    ModuleConfig config = test_module_config();
    config.audio_lead = 0.2;  // the audio goes out as it would be played
    ModuleSession m(config);
    m.start();
    std::string text = "<speak>";
    for (int i = 0; i < 400; ++i)
        text += "Мама мыла раму.<mark name=\"__spd_" + std::to_string(i) + "\"/> ";
    text += "</speak>";
    for (const char* command : {"STOP", "PAUSE"}) {
        m.speak("SPEAK", text);
        ModuleEvent e = m.next();
        ASSERT_EQ(e.line, "701 BEGIN");
        m.send(std::string(command) + "\n");
        const auto lines = lines_of(m.until_end());
        EXPECT_EQ(lines.back(), std::string(command) == "STOP" ? "703 STOP" : "704 PAUSE");
        // Far fewer marks than the message holds were reached.
        EXPECT_LT(lines.size(), 60u);
    }
    // STOP with nothing spoken is no error and sends nothing; the next message plays whole.
    m.send("STOP\n");
    EXPECT_TRUE(m.say("SPEAK", "<speak>Мама мыла раму.</speak>") == engine_speech("Мама мыла раму."));
}

TEST(SpeechdModule, ProtocolErrorsAndVoices)
{
    ModuleSession m(test_module_config());
    m.send("SPEAK\n");
    EXPECT_EQ(m.next().line, "202 OK RECEIVING MESSAGE");
    m.send("x\n.\n");
    EXPECT_EQ(m.next().line, "300 ERR NOT INITIALIZED");
    m.start();
    m.send("HELLO\n");
    EXPECT_EQ(m.next().line, "300 ERR UNKNOWN COMMAND");
    m.send("AUDIO\naudio_output_method=alsa\n.\n");
    EXPECT_EQ(m.next().line, "207 OK RECEIVING AUDIO SETTINGS");
    EXPECT_EQ(m.next().line, "300-sd_vokdar hands its audio to the server only");
    EXPECT_EQ(m.next().line, "300 UNKNOWN ERROR");
    m.send("LIST VOICES\n");
    std::vector<std::string> voices;
    for (ModuleEvent e = m.next(); e.line.starts_with("200-"); e = m.next())
        voices.push_back(e.line);
    EXPECT_NE(std::find(voices.begin(), voices.end(), "200-torvy\tru\tnone"), voices.end());
    // A voice that is not there: the default one speaks.
    m.set("synthesis_voice=nosuchvoice");
    EXPECT_TRUE(m.say("SPEAK", "<speak>Мама мыла раму.</speak>") == engine_speech("Мама мыла раму."));
}

TEST(SpeechdModule, InitFailsWithAReasonWhenTheVoiceIsMissing)
{
    ModuleConfig config = test_module_config();
    config.voice = "nosuchvoice";
    ModuleSession m(config);
    m.send("INIT\n");
    const ModuleEvent why = m.next();
    EXPECT_EQ(why.line, "399-the voice nosuchvoice is in none of the data directories");
    EXPECT_EQ(m.next().line, "399 ERR CANT INIT MODULE");
}
