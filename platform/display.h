// Inside the kit: opening and closing the display through SDL. Main thread
// only.
#pragma once

#include <string>

namespace kit {

// Opens the display: with the driver the user chose in SDL_VIDEODRIVER, or
// else with the first of SDL's drivers that shows a real window. False, with
// the reason in `error`, when none opens.
bool open_display(std::string& error);

// The first display's density as a whole scale (density_scale of its dots
// an inch), read as the display opened; 1 before. Any thread.
int screen_density_scale();

// Closes the display and everything SDL opened. In AddressSanitizer builds,
// every shared library loaded so far stays mapped until the process ends:
// LeakSanitizer looks for leaks after main returns, and a GL driver that SDL
// has unloaded by then (Mesa's swrast_dri.so) would leave the blocks its
// globals point to looking leaked, from an "<unknown module>" that no
// suppression can name.
void close_display();

}  // namespace kit
