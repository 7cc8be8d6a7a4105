// The platform kit: everything the application shell uses.
#pragma once

#include "alert.h"
#include "application.h"
#include "bitmap.h"
#include "file_panel.h"
#include "gamepad_keys.h"
#include "kernel.h"
#include "key_state.h"
#include "menu.h"
#include "message.h"
#include "screen.h"
#include "storage.h"
#include "support_defs.h"
#include "view.h"
#include "window.h"
