ardour {
  ["type"] = "dsp",
  name = "Vyrtal test notes",
  category = "Utility",
  license = "MIT",
  author = "Vyrtal tests",
  description = [[Plays A3 for a quarter of a second every half second, wherever the transport is.]]
}

function dsp_ioconfig () return { { midi_in = 1, midi_out = 1, audio_in = 0, audio_out = 0 } } end

local position = 0

function dsp_run (_, _, n_samples)
  local period, length, count = 24000, 12000, 1
  for i = 0, n_samples - 1 do
    local t = (position + i) % period
    if t == 0 then midiout[count] = { time = i + 1, data = { 0x90, 57, 100 } }; count = count + 1 end
    if t == length then midiout[count] = { time = i + 1, data = { 0x80, 57, 0 } }; count = count + 1 end
  end
  position = position + n_samples
end
