-- Finds the instructions that write an address: here the ship's x (the
-- demo's ship, roms/demo/scene.c), while the ship is flown right. Each new
-- writer is logged once, named from the symbols when --symbols
-- roms/demo/demo.elf is given. A write callback runs after the instruction
-- that wrote, so the program counter is already on the next one.
--
--   bevorel --boot --symbols roms/demo/demo.elf --script examples/scripts/who_writes.lua
local ADDRESS = emu.symbol("ship") or 0x1006A0
local seen = {}

callbacks.add("write", ADDRESS, 2, function(address)
  local pc = emu.reg("pc")
  if seen[pc] then return end
  seen[pc] = true
  console.log(string.format("0x%06X written at frame %d by the instruction before 0x%06X (%s)",
                            address, emu.frame(), pc, emu.symbolAt(pc) or "no symbol"))
end)

input.set{right = true}
callbacks.add("frame", function()
  if emu.frame() == 60 then emu.exit(0) end
end)
