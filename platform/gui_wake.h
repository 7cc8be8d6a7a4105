// Inside the kit: tells the application's event loop that something it shows
// changed. Callable from any thread; does nothing while no loop runs.
#pragma once

namespace kit {
void wake_gui();
}
