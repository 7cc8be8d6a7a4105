-- Logs a RAM variable every frame: here the demo's count of frames begun
-- (status.frame, the long word at 0x100010, roms/demo/status.h), for the
-- first 10 frames, and each reset of the board.
--
--   bevorel --boot --script examples/scripts/frame_logger.lua
local ADDRESS, NAME = 0x100010, "status.frame"
local FRAMES = 10

callbacks.add("reset", function()
  console.log("reset at frame " .. emu.frame())
end)

callbacks.add("frame", function()
  console.log(string.format("frame %d: %s = %d", emu.frame(), NAME, emu.read32(ADDRESS)))
  if emu.frame() == FRAMES then emu.exit(0) end
end)
