// Stage two: word endings of text.tmp rewritten from replace.txt into text2.tmp.
#pragma once

int Secondread();
