-- An LV2 plug-in on a MIDI track of a new Ardour session, run headless by
-- ardour7-lua for the real-host test (ardour_test.py beside this file):
--
--   ardour7-lua ardour-session.lua DIR CLIENT RATE URI [PORT=VALUE ...]
--
-- DIR: a session folder that must not exist yet. CLIENT: the JACK client
-- name Ardour takes on the running server that JACK_DEFAULT_SERVER names.
-- PORT=VALUE: a control input of the plug-in by its LV2 port index.
-- Once the controls hold their values it prints a line "READY", the track's
-- MIDI input and its MIDI output, tab-separated (Ardour's port names hold
-- spaces), and keeps the session running until its standard input closes.

local dir, client, rate, uri = arg[1], arg[2], tonumber(arg[3]), arg[4]
assert(dir and client and rate and uri, "usage: DIR CLIENT RATE URI [PORT=VALUE ...]")

AudioEngine:set_backend("JACK", client, "")
assert(create_session(dir, "zephrin", rate), "no session: is the JACK server running?")

local midi = ARDOUR.DataType("midi")
local track = Session:new_midi_track(ARDOUR.ChanCount(midi, 1), ARDOUR.ChanCount(midi, 1),
  false, ARDOUR.PluginInfo(), nil, nil, 1, "Map", ARDOUR.PresentationInfo.max_order,
  ARDOUR.TrackMode.Normal, false, false):front()
assert(track, "no MIDI track")

local insert = ARDOUR.LuaAPI.new_plugin(Session, uri, ARDOUR.PluginType.LV2, "")
assert(not insert:isnil(), "no LV2 plug-in " .. uri .. " on LV2_PATH")
assert(track:add_processor_by_index(insert, 0, nil, true) == 0, "the plug-in was not added")

-- Ardour numbers a plug-in's controls by their rank among its control
-- ports; nth_parameter gives each rank's port index.
local plugin = insert:to_insert():plugin(0)
local rank = {}
for which = 0, plugin:parameter_count() - 1 do
  local port, refs = plugin:nth_parameter(which, false)
  if refs[2] then rank[port] = which end
end
for i = 5, #arg do
  local port, value = arg[i]:match("^(%d+)=(.+)$")
  local which, number = rank[tonumber(port)], tonumber(value)
  assert(which and number, "not a control PORT=VALUE: " .. arg[i])
  assert(ARDOUR.LuaAPI.set_processor_param(insert, which, number),
         "port " .. port .. " refused " .. value)
  local now = ARDOUR.LuaAPI.get_processor_param(insert, which, false)
  assert(now == number, "port " .. port .. " holds " .. tostring(now) .. ", not " .. value)
end

-- Live input reaches the plug-in and the output whatever the transport
-- does (stopped here), without arming the track; the test makes the only
-- connections.
track:monitoring_control():set_value(ARDOUR.MonitorChoice.MonitorInput,
                                     PBD.GroupControlDisposition.NoGroup)
track:input():disconnect_all(nil)
track:output():disconnect_all(nil)

-- A control set here reaches the plug-in at its next run: let some cycles
-- pass before any message can come.
sleep(0.2)
print("READY\t" .. client .. ":" .. track:input():midi(0):name() .. "\t"
      .. client .. ":" .. track:output():midi(0):name())
io.stdout:flush()
io.read("a")
close_session()
