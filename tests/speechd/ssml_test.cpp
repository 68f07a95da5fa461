// SSML as speech-dispatcher and screen readers send it: tags never spoken.
#include "speechd/ssml.h"

#include <gtest/gtest.h>

TEST(SpeechdSsml, MarksCutThePiecesAndTagsAreDropped)
{
    const auto pieces = read_ssml(
        "<speak>Мама мыла раму.<mark name=\"__spd_0\"/> Папа <emphasis>читал</emphasis>!<mark name='m1'/></speak>");
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].text, "Мама мыла раму.");
    EXPECT_EQ(pieces[0].mark, "__spd_0");
    EXPECT_EQ(pieces[1].text, " Папа читал!");
    EXPECT_EQ(pieces[1].mark, "m1");
    EXPECT_FALSE(pieces[0].spell || pieces[1].spell);
}

TEST(SpeechdSsml, EntitiesAreDecodedAndUnknownOnesKept)
{
    const auto pieces = read_ssml("<speak>a &lt; b &amp;&amp; c &gt; d &quot;&apos; &#1078;&#x416; &nbsp; &#0; &</speak>");
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].text, "a < b && c > d \"' жЖ &nbsp; &#0; &");
}

TEST(SpeechdSsml, SpellingSubstitutionBreaksCommentsAndBrokenTags)
{
    auto pieces = read_ssml("<speak>Код <say-as interpret-as=\"characters\">АБ</say-as> готов</speak>");
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].text, "Код ");
    EXPECT_TRUE(pieces[1].spell);
    EXPECT_EQ(pieces[1].text, "АБ");
    EXPECT_FALSE(pieces[2].spell);
    EXPECT_EQ(pieces[2].text, " готов");

    pieces = read_ssml("<speak><sub alias=\"World Wide Web\">WWW</sub><!-- <mark name=\"x\"/> -->a<break time=\"1s\"/>b"
                       "<?xml version=\"1.0\"?> <say-as interpret-as=\"date\">1.2</say-as> <unfinished");
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].text, "World Wide Weba, b 1.2 ");
    EXPECT_TRUE(pieces[0].mark.empty());
}

TEST(SpeechdSsml, NoMarkupEverReachesTheText)
{
    for (const char* ssml : {"<speak>", "</speak>", "<speak><mark name=\"a\"/></speak>", "<<<>>>", "<a b='>'>x</a>",
                             "<speak>x<mark/>y</speak>", "plain text"}) {
        for (const SsmlPiece& p : read_ssml(ssml)) {
            EXPECT_EQ(p.text.find('<'), std::string::npos) << ssml;
            EXPECT_EQ(p.text.find("speak"), std::string::npos) << ssml;
        }
    }
    EXPECT_EQ(read_ssml("plain text")[0].text, "plain text");
}
