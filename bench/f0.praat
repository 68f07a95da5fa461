# The pitch track of a recording, for bench/prosody.sh: praat's
# autocorrelation tracker at 10 ms steps between 60 and 300 Hz with its
# default thresholds. Writes "t f0" and then one line per frame: the frame's
# time and its F0 in Hz, or --undefined-- where praat finds it unvoiced.
form Pitch track
  sentence in
  sentence out
endform
sound = Read from file: in$
pitch = To Pitch (ac): 0.01, 60, 15, "no", 0.03, 0.45, 0.01, 0.35, 0.14, 300
frames = Get number of frames
writeFileLine: out$, "t f0"
for frame to frames
  t = Get time from frame number: frame
  f = Get value in frame: frame, "Hertz"
  appendFileLine: out$, fixed$(t, 3), " ", fixed$(f, 2)
endfor
