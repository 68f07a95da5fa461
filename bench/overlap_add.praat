# Praat's own pitch-synchronous overlap-add, for bench/overlap_add.sh: the
# recording in$ said again with the pitch contour of the recording like$ (the
# same sentence at the same length), through a Manipulation with praat's own
# pitch marks, 60 to 300 Hz. Writes out$.
form Overlap-add
  sentence in
  sentence like
  sentence out
endform
target = Read from file: like$
pitch = To Pitch: 0, 60, 300
tier = Down to PitchTier
sound = Read from file: in$
manipulation = To Manipulation: 0.01, 60, 300
plusObject: tier
Replace pitch tier
selectObject: manipulation
result = Get resynthesis (overlap-add)
Save as WAV file: out$
