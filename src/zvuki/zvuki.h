// Stage four: the syllables of slogi.tmp spoken into rech.wav.
#pragma once

int Zvuki();
