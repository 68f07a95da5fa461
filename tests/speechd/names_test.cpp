// Letters, keys and punctuation by name; the settings' mapping.
#include "speechd/module.h"
#include "speechd/names.h"
#include "speechd/tempo.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

TEST(SpeechdNames, LettersDigitsAndSignsByTheirRussianNames)
{
    EXPECT_EQ(char_name("б", Capitals::none).words, "бэ");
    EXPECT_EQ(char_name("й", Capitals::none).words, "и краткое");
    EXPECT_EQ(char_name("ъ", Capitals::none).words, "твёрдый знак");
    EXPECT_EQ(char_name("w", Capitals::none).words, "дабл ю");
    EXPECT_EQ(char_name("7", Capitals::none).words, "семь");
    EXPECT_EQ(char_name(" ", Capitals::none).words, "пробел");
    EXPECT_EQ(char_name(",", Capitals::none).words, "запятая");
    EXPECT_EQ(char_name("@", Capitals::none).words, "собака");
    EXPECT_EQ(char_name("«", Capitals::none).words, "открывающая кавычка");
    EXPECT_EQ(char_name("☺", Capitals::none).words, "символ 9786");
    EXPECT_EQ(char_name("\xFF", Capitals::none).words, "символ 65533");
    // Capitals: a word before them, or a flag for the tone.
    EXPECT_EQ(char_name("Ё", Capitals::spell).words, "большая ё");
    EXPECT_EQ(char_name("Q", Capitals::spell).words, "большая кью");
    const SpokenChar icon = char_name("Ж", Capitals::icon);
    EXPECT_EQ(icon.words, "жэ");
    EXPECT_TRUE(icon.capital);
    EXPECT_FALSE(char_name("ж", Capitals::icon).capital);
}

TEST(SpeechdNames, KeysWithTheKeysHeld)
{
    EXPECT_EQ(key_name("space", Capitals::none).words, "пробел");
    EXPECT_EQ(key_name("enter", Capitals::none).words, "ввод");
    EXPECT_EQ(key_name("tab", Capitals::none).words, "таб");
    EXPECT_EQ(key_name("shift_a", Capitals::none).words, "шифт эй");
    EXPECT_EQ(key_name("control_alt_delete", Capitals::none).words, "контрол альт делит");
    EXPECT_EQ(key_name("shift_kp-enter", Capitals::none).words, "шифт цифровой блок ввод");
    EXPECT_EQ(key_name("kp-5", Capitals::none).words, "цифровой блок пять");
    EXPECT_EQ(key_name("f12", Capitals::none).words, "эф 12");
    EXPECT_EQ(key_name("_", Capitals::none).words, "подчёркивание");
    EXPECT_EQ(key_name("control", Capitals::none).words, "контрол");
    EXPECT_EQ(key_name("Ы", Capitals::spell).words, "большая ы");
    EXPECT_EQ(key_name("strange-key", Capitals::none).words, "strange-key");
}

TEST(SpeechdNames, SpellingNamesEveryCharacter)
{
    std::string said;
    for (const SpokenChar& c : spell_text("Кот 1!", Capitals::spell))
        said += c.words + "|";
    EXPECT_EQ(said, "большая ка|о|тэ|пробел|один|восклицательный знак|");
}

TEST(SpeechdNames, PunctuationModesNameMoreMarks)
{
    const std::string text = "Ну (да), 3.14 — кто-то сказал: «a < b»!";
    EXPECT_EQ(shape_punctuation(text, Punctuation::none), text);
    EXPECT_EQ(shape_punctuation(text, Punctuation::some), "Ну (да), 3.14 — кто-то сказал: «a  меньше  b»!");
    EXPECT_EQ(shape_punctuation(text, Punctuation::most),
              "Ну  открывающая скобка да закрывающая скобка , 3.14  тире— кто-то сказал двоеточие:  открывающая "
              "кавычка a  меньше  b закрывающая кавычка !");
    EXPECT_EQ(shape_punctuation(text, Punctuation::all),
              "Ну  открывающая скобка да закрывающая скобка  запятая, 3.14  тире— кто-то сказал двоеточие:  "
              "открывающая кавычка a  меньше  b закрывающая кавычка  восклицательный знак!");
}

TEST(SpeechdSettings, RatePitchAndVolumeMapOntoTheEngine)
{
    EXPECT_DOUBLE_EQ(tempo_for_rate(-100), 0.5);
    EXPECT_NEAR(tempo_for_rate(-50), 0.707, 0.001);
    EXPECT_DOUBLE_EQ(tempo_for_rate(0), 1.0);
    EXPECT_NEAR(tempo_for_rate(50), 1.732, 0.001);
    EXPECT_DOUBLE_EQ(tempo_for_rate(100), 3.0);
    EXPECT_DOUBLE_EQ(tempo_for_rate(1000), 3.0);
    EXPECT_DOUBLE_EQ(volume_for(-100), 0.0);
    EXPECT_DOUBLE_EQ(volume_for(-50), 0.75);
    EXPECT_DOUBLE_EQ(volume_for(0), 1.5);
    EXPECT_DOUBLE_EQ(volume_for(100), 3.0);
    EXPECT_DOUBLE_EQ(volume_for(500), 3.0);
    EXPECT_DOUBLE_EQ(pitch_factor_for(-100), 0.5);
    EXPECT_DOUBLE_EQ(pitch_factor_for(0), 1.0);
    EXPECT_DOUBLE_EQ(pitch_factor_for(100), 2.0);
    EXPECT_EQ(punctuation_for("most"), Punctuation::most);
    EXPECT_EQ(punctuation_for("NULL"), Punctuation::none);
    EXPECT_EQ(capitals_for("icon"), Capitals::icon);
}

TEST(SpeechdSettings, ConfigurationFile)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "sd_vokdar_test.conf";
    {
        std::FILE* f = std::fopen(path.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("# comment\n\nDefaultVoice \"robot\"\r\nVokdarDataDir  /opt/v \nVokdarReading 0\n", f);
        std::fclose(f);
    }
    ModuleConfig config;
    std::string why;
    ASSERT_TRUE(read_module_config(path.c_str(), config, why)) << why;
    EXPECT_EQ(config.voice, "robot");
    EXPECT_EQ(config.data_dir, "/opt/v");
    EXPECT_EQ(config.reading, 0);
    {
        std::FILE* f = std::fopen(path.c_str(), "w");
        std::fputs("VokdarVoise x\n", f);
        std::fclose(f);
    }
    EXPECT_FALSE(read_module_config(path.c_str(), config, why));
    EXPECT_NE(why.find(":1: unknown setting VokdarVoise"), std::string::npos) << why;
    std::filesystem::remove(path);
    ModuleConfig defaults;
    EXPECT_TRUE(read_module_config("/nonexistent/vokdar.conf", defaults, why));
    EXPECT_EQ(defaults.voice, "torvy");
}
