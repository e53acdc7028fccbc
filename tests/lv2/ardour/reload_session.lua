-- The session made by make_session.lua, loaded in a fresh process: its
-- parameter values; then the release moved, so that saving writes the
-- reloaded instance's state anew.
local dir = os.getenv ("VYRTAL_ARDOUR_DIR")
ARDOUR.config ():set_hide_dummy_backend (false)
assert (AudioEngine:set_backend ("None (Dummy)", "", ""))
assert (load_session (dir .. "/session", "vyrtal"))
local track = Session:route_by_name ("Vyrtal"):to_track ()
local vyrtal = nil
for i = 0, 3 do
  local p = track:nth_plugin (i)
  if not p:isnil () and p:display_name () == "Vyrtal" then vyrtal = p end
end
assert (vyrtal, "no Vyrtal on the track")
for i = 0, 30 do print ("param", i, ARDOUR.LuaAPI.get_processor_param (vyrtal, i, true)) end
ARDOUR.LuaAPI.set_processor_param (vyrtal, 5, 0.3)
-- The instance takes the new value in its next cycles.
ARDOUR.LuaAPI.usleep (500000)
assert (Session:save_state ("reloaded", false, false, false, false, false) == 0)
-- Released before the session closes, as in make_session.lua.
track, vyrtal = nil, nil
collectgarbage ()
collectgarbage ()
close_session ()
