// Stage three: syllable boundaries of text2.tmp marked into slogi.tmp.
#pragma once

int Slogi();
