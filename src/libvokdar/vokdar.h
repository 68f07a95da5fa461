/* libvokdar: Russian text spoken by vokdar's chain from inside another program.
 *
 * An engine holds one voice and one dictionary, loaded once by vokdar_open.
 * Each vokdar_speak call runs the whole chain over a text in memory and hands
 * the samples to a callback as they are made; nothing is printed and no file
 * is written unless vokdar_speak_to_wav is asked to write one.
 *
 * Samples are 16-bit signed, one channel, VOKDAR_SAMPLE_RATE per second.
 *
 * Threads: one engine speaks one text at a time; two engines may speak in two
 * threads at once. vokdar_cancel may be called from any thread while the
 * engine speaks. Every call returns a status; none prints, waits or exits. */
#ifndef VOKDAR_H
#define VOKDAR_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VOKDAR_SAMPLE_RATE 22050
/* The most samples one call of a sample callback receives. */
#define VOKDAR_BLOCK_SAMPLES 2048

typedef struct vokdar_engine vokdar_engine;

/* What a call returns. */
enum vokdar_status {
    VOKDAR_OK = 0,
    VOKDAR_ERR_ARGUMENT = 1,    /* a null pointer, or a value outside its range */
    VOKDAR_ERR_NO_VOICE = 2,    /* the voice directory is missing or holds no recordings */
    VOKDAR_ERR_DICTIONARY = 3,  /* the dictionary cannot be read */
    VOKDAR_ERR_MEMORY = 4,      /* not enough memory */
    VOKDAR_ERR_WRITE = 5,       /* the WAV file could not be written */
    VOKDAR_ERR_CANCELLED = 6,   /* vokdar_cancel, or the callback asked to stop */
    VOKDAR_ERR_BUSY = 7,        /* the engine is already speaking */
    VOKDAR_ERR_UNSUPPORTED = 8, /* accepted by the interface, not by this voice or build */
    VOKDAR_ERR_TEXT = 9         /* the text holds a NUL byte, which ends a text the program reads */
};

/* How the bytes of a text are to be read. AUTO reads UTF-8 when the text is
 * UTF-8 and code page 1251 otherwise, as the vokdar program does. */
enum vokdar_encoding {
    VOKDAR_TEXT_AUTO = 0,
    VOKDAR_TEXT_UTF8 = 1,
    VOKDAR_TEXT_CP1251 = 2
};

/* How the text is read: as the first releases of vokdar read it, or as a
 * Russian reader reads everyday text (numbers, abbreviations, symbols). */
enum vokdar_reading {
    VOKDAR_READING_ORIGINAL = 0,
    VOKDAR_READING_EVERYDAY = 1
};

/* A short English description of a status; never NULL. */
const char* vokdar_strerror(int status);
/* The library's version, as "MAJOR.MINOR.PATCH". */
const char* vokdar_version(void);

/* Opens an engine on a voice directory (a directory of syllable recordings,
 * with or without a final '/') and a dictionary file (replace.txt's format);
 * dictionary NULL speaks without one. On success *engine is set and the
 * settings are vokdar.cfg's defaults: speed 100, volume 3.0, everyday reading. */
int vokdar_open(const char* voice_dir, const char* dictionary, vokdar_engine** engine);
/* Frees everything the engine holds. NULL is allowed. Must not be called
 * while the engine speaks. */
void vokdar_close(vokdar_engine* engine);

/* Settings; each applies from the next vokdar_speak call. */
/* Percent, 1..200, as vokdar.cfg; the stutter control follows it as the
 * setup dialogue suggests (speed / 10, vokdar.cfg's 10 at speed 100). */
int vokdar_set_speed(vokdar_engine* engine, int speed);
int vokdar_set_volume(vokdar_engine* engine, double volume);  /* loudness factor, 0.0..4.0 */
int vokdar_set_reading(vokdar_engine* engine, int reading);   /* enum vokdar_reading */
/* Pitch as a factor of the voice's own, 0.5..2.0 (1.0: the speaker's). */
int vokdar_set_pitch(vokdar_engine* engine, double factor);
/* Non-zero: no silence before the first word and none after the last one
 * (for a screen reader's short messages). Zero, the default: as rech.wav. */
int vokdar_set_trim(vokdar_engine* engine, int trim);

/* Receives samples in order as they are made; count > 0. Returning non-zero
 * stops the speaking, which then returns VOKDAR_ERR_CANCELLED. */
typedef int (*vokdar_sample_fn)(void* user, const int16_t* samples, size_t count);

/* Receives each pause of the speaking as it comes, after every sample before
 * it has been handed over: mark is the byte that made it ('.', ',', ';', ':',
 * '!', '?', '\n' at a line end, '#' at a paragraph break or a dash, '~',
 * '_' for the short stop after a word before a pause; '`' at the end of the
 * text), at the samples made before it (counted from the start of the
 * speaking), length its samples of silence. Lets a caller report progress or
 * cut a long text at a sentence's end. */
typedef void (*vokdar_pause_fn)(void* user, int mark, uint64_t at, uint64_t length);
/* Sets (or, with NULL, clears) the pause callback of the speakings that
 * follow, by vokdar_speak and vokdar_speak_to_wav alike. */
int vokdar_set_pause_callback(vokdar_engine* engine, vokdar_pause_fn callback, void* user);

/* Speaks length bytes of text into the callback, in blocks of at most
 * VOKDAR_BLOCK_SAMPLES samples as they are made. A NUL byte in the text is
 * read as the program reads it in a file: the text is refused
 * (VOKDAR_ERR_TEXT) and nothing is spoken. Returns when the whole text is
 * spoken, on cancel, or on failure. */
int vokdar_speak(vokdar_engine* engine, const char* text, size_t length, int encoding,
                 vokdar_sample_fn callback, void* user);
/* The same into a WAV file at path, written as the program writes rech.wav. */
int vokdar_speak_to_wav(vokdar_engine* engine, const char* text, size_t length, int encoding,
                        const char* path);

/* Asks the speaking in progress on engine to stop; safe from any thread, and
 * a no-op when it is not speaking. */
void vokdar_cancel(vokdar_engine* engine);

#ifdef __cplusplus
}
#endif

#endif /* VOKDAR_H */
