-- Plays the demo's theme keys: the top-row digits 1 to 5 choose its colour
-- theme, whose digit it shows at the top right (theme_digit in
-- roms/demo/scene.c). The bot saves a state (theme 1), presses 2, 3, 4 and 5,
-- each for 5 frames, checks the digit after each, then loads the state back
-- (theme 1 again), writes input_bot.png and exits 0, or 1 at a wrong theme.
--
--   bevorel --boot --script examples/scripts/input_bot.lua
local DIGIT = emu.symbol("theme_digit") or 0x100020
local STATE = "input_bot.state"
local KEYS = {"key2", "key3", "key4", "key5"}
os.remove(STATE)

-- The steps, each a function of the frames since it began that returns true
-- when it is done.
local steps = {}
local function check(wanted)
  local shown = string.char(emu.read8(DIGIT))
  console.log("theme " .. shown)
  if shown ~= wanted then
    console.log("wanted theme " .. wanted)
    emu.exit(1)
  end
end

steps[#steps + 1] = function(frames)
  if frames == 0 then emu.saveState(STATE) end -- saved after this frame
  local file = io.open(STATE, "rb")
  if file then file:close() end
  return file ~= nil
end
for _, key in ipairs(KEYS) do
  steps[#steps + 1] = function(frames)
    if frames == 0 then input.set{[key] = true} end
    if frames == 2 and not input.get()[key] then -- the board read it at the last frame
      console.log(key .. " was not read")
      emu.exit(1)
    end
    if frames == 5 then input.clear() end
    if frames == 10 then check(key:sub(4)) return true end
  end
end
steps[#steps + 1] = function(frames)
  if frames == 0 then emu.loadState(STATE) end
  return string.char(emu.read8(DIGIT)) == "1"
end
steps[#steps + 1] = function()
  check("1")
  os.remove(STATE)
  emu.screenshot("input_bot.png")
  emu.exit(0)
end

local step, began = 1, nil
callbacks.add("frame", function()
  if emu.frame() < 30 then return end -- the demo's first frames
  began = began or emu.frame()
  if steps[step](emu.frame() - began) then step, began = step + 1, nil end
  if emu.frame() > 3000 then
    console.log("the bot got stuck at step " .. step)
    emu.exit(1)
  end
end)
