// espeak-ng's Russian phonemizer through its library.
#include "phonemize.h"

#include <espeak-ng/speak_lib.h>

#include "letters.h"

bool phonemizer_start()
{
    return espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT) >= 0 &&
           espeak_SetVoiceByName("ru") == EE_OK;
}

void phonemizer_stop() { espeak_Terminate(); }

std::string phonemes_of(const std::string& cp1251_word)
{
    const std::string text = utf8_of(cp1251_word) + ".";
    const void* p = text.c_str();
    std::string out;
    while (p != nullptr) {
        const char* ph = espeak_TextToPhonemes(&p, espeakCHARS_UTF8, 0);
        if (ph == nullptr)
            break;
        out += ph;
    }
    return out;
}
