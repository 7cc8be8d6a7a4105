// Inside the kit: the oldest open alert, drawn as a modal popup in the Dear
// ImGui frame being built; its buttons answer it. Main thread only.
#pragma once

namespace kit {

void draw_open_alert(float scale);

}  // namespace kit
