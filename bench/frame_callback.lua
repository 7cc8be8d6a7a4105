-- A frame callback alone, for the cost of scripting (instructions_per_instruction).
local frames = 0
callbacks.add("frame", function() frames = frames + 1 end)
