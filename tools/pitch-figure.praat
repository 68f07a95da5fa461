# Two recordings one above the other, each its spectrogram (0 to 5 kHz) with
# praat's F0 track (autocorrelation, 60 to 300 Hz, as bench/f0.praat) over it
# in red, saved as a PNG: used by tools/readme-figures.sh.
#   praat --run tools/pitch-figure.praat FIRST.wav SECOND.wav TITLE1 TITLE2 OUT.png
form Figure
    sentence wav1 a.wav
    sentence wav2 b.wav
    sentence title1 a
    sentence title2 b
    sentence png out.png
endform
Erase all
Font size: 10
for k from 1 to 2
    if k = 1
        wav$ = wav1$
        title$ = title1$
        top = 0
    else
        wav$ = wav2$
        title$ = title2$
        top = 3.2
    endif
    s = Read from file: wav$
    spec = To Spectrogram: 0.005, 5000, 0.002, 20, "Gaussian"
    selectObject: s
    pitch = To Pitch (ac): 0.01, 60, 15, "no", 0.03, 0.45, 0.01, 0.35, 0.14, 300
    Select outer viewport: 0, 7, top, top + 3.2
    selectObject: spec
    Paint: 0, 0, 0, 0, 100, "yes", 50, 6, 0, "no"
    Marks left every: 1, 1000, "yes", "yes", "no"
    Text left: "yes", "Hz (spectrogram)"
    selectObject: pitch
    Red
    Line width: 2
    Draw: 0, 0, 60, 300, "no"
    Line width: 1
    Marks right every: 1, 50, "yes", "yes", "no"
    Text right: "yes", "F0, Hz (red)"
    Black
    Draw inner box
    Marks bottom every: 1, 0.5, "yes", "yes", "no"
    Text bottom: "yes", "Time (s)"
    Text top: "no", title$
    removeObject: s, spec, pitch
endfor
Select outer viewport: 0, 7, 0, 6.4
Save as 300-dpi PNG file: png$
