// ImGui windows that lie wholly behind an opaque one, left out of the drawing.
// With every workbench panel open most panels lie under another, and a
// software renderer would fill each of their pixels only to paint over them.
#pragma once

struct ImDrawData;

namespace kit {

// Drops from `data` (the current ImGui context's, after ImGui::Render) the
// draw lists of the windows wholly covered by an opaque window in front of
// them. What shows is unchanged.
void leave_out_hidden_windows(ImDrawData& data);

}  // namespace kit
