-- A headless test of the demo: boot, hold right for 60 frames, check that the
-- ship moved right in memory, and exit 0 (or 1 when it did not).
--
--   SDL_VIDEODRIVER=dummy bevorel --boot --script examples/scripts/demo_test.lua
--
-- The ship's position is a static struct of the demo (roms/demo/scene.c:
-- x then y, 16-bit each); its address comes from the symbols when --symbols
-- roms/demo/demo.elf is given, else it is where the demo's link puts it.
local ship = emu.symbol("ship") or 0x1006A0
local STATUS_MAGIC = 0x44454D4F -- "DEMO" (roms/demo/status.h)

local startX
callbacks.add("frame", function()
  local frame = emu.frame()
  if frame == 30 then
    if emu.read32(0x100000) ~= STATUS_MAGIC then
      console.log("the demo is not running")
      emu.exit(1)
    end
    startX = emu.read16(ship)
    input.set{right = true}
  elseif frame == 90 then
    input.clear()
    local x = emu.read16(ship)
    console.log(string.format("ship x: %d -> %d", startX, x))
    if x > startX then emu.exit(0) else emu.exit(1) end
  end
end)
