// In AddressSanitizer builds, keeps every shared library loaded so far mapped
// until the process ends; elsewhere it does nothing. LeakSanitizer looks for
// leaks after main returns, and a GL driver that SDL_Quit has unloaded by
// then (Mesa's swrast_dri.so) would leave the blocks its globals point to
// looking leaked, from an "<unknown module>" that no suppression can name.
#pragma once

void keep_libraries_loaded_for_leak_check();
