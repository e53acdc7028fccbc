-- A session with Vyrtal on a MIDI track: the test's preset (a renamed bank
-- on program 5), three controls moved, two seconds exported, saved.
local dir = os.getenv ("VYRTAL_ARDOUR_DIR")
ARDOUR.config ():set_hide_dummy_backend (false)
assert (AudioEngine:set_backend ("None (Dummy)", "", ""))
assert (create_session (dir .. "/session", "vyrtal", 48000))
-- The engine settles before the track's ports are registered.
ARDOUR.LuaAPI.usleep (1000000)

local tracks = Session:new_midi_track (ARDOUR.ChanCount (ARDOUR.DataType ("midi"), 1),
  ARDOUR.ChanCount (ARDOUR.DataType ("audio"), 2), true,
  ARDOUR.LuaAPI.new_plugin_info ("urn:tollarinfx:vyrtal", ARDOUR.PluginType.LV2), nil, nil, 1, "Vyrtal",
  ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false)
assert (tracks:size () == 1)
local track = tracks:front ()
local vyrtal = track:nth_plugin (0)
assert (not vyrtal:isnil ())
local notes = ARDOUR.LuaAPI.new_plugin (Session, "Vyrtal test notes", ARDOUR.PluginType.Lua, "")
assert (not notes:isnil ())
assert (track:add_processor_by_index (notes, 0, nil, true) == 0)

local insert = vyrtal:to_insert ()
local plugin = insert:plugin (0)
local preset = plugin:preset_by_uri ("urn:vyrtal-test:preset")
assert (preset and preset.valid, "the test preset is not found")
assert (plugin:load_preset (preset))
-- decay, vowel and the delay switch
ARDOUR.LuaAPI.set_processor_param (vyrtal, 1, 0.75)
ARDOUR.LuaAPI.set_processor_param (vyrtal, 2, 0.4)
ARDOUR.LuaAPI.set_processor_param (vyrtal, 17, 1)

local export = Session:simple_export ()
export:set_name ("render")
export:set_folder (dir)
export:set_range (0, 96000)
assert (export:set_preset ("df340c53-88b5-4342-a1c8-58e0704872ea")) -- CD (Red Book): WAV
assert (export:run_export ())

for i = 0, 30 do print ("param", i, ARDOUR.LuaAPI.get_processor_param (vyrtal, i, true)) end
assert (Session:save_state ("", false, false, false, false, false) == 0)
-- The track and its plug-ins must be gone before the session is: released
-- only when the script's state closes, they would be destroyed after the
-- session they refer to, and Ardour would write into freed memory.
tracks, track, vyrtal, notes, insert, plugin, preset, export = nil, nil, nil, nil, nil, nil, nil, nil
collectgarbage ()
collectgarbage ()
close_session ()
