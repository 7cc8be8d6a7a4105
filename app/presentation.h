// The presentation surface: the view that shows the picture and the 15-bit
// offscreen bitmap that the emulation thread fills and draws into it.
#pragma once

#include <cstdint>

#include "kit.h"

extern BView* mView;
extern BBitmap* mOffscreen;
extern uint16_t* mBits;
extern int32_t mBytesPerRow;
extern BScreen* screen;

// Creates the view, the bitmap (both exactly 256 x 224) and the screen object
// for `window` and clears the bitmap (start-up and reset clear). The view
// fills the window below the menu bar and shows the picture in the largest
// whole multiple that fits, black around it. Called with the window locked.
void createPresentationSurface(BWindow* window);

// Start-up and reset clear: the first 256 x 224 x 2 bytes of the bitmap's
// pixel memory, counted without regard to the row stride, take the screen's
// colour-map index of black.
void startupClear();

// Picture-area clear: columns 0 to 255 of rows 0 to 223 become 0.
void pictureAreaClear();

// Copies a 256 x 224 frame into the bitmap, row by row with the bitmap's stride.
void copyFrame(const uint16_t* frame);
