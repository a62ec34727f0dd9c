// The product logo of the banner: a blue tile with a "V" above a contact card, drawn with GDI
// for the size it is shown at, so it stays sharp at every DPI.
#pragma once

#include <windows.h>

#include "wizard/win32/gdi_objects.h"

namespace vtr::win32 {

// A bitmap of the logo filling width x height pixels, on the given background; null when
// the bitmap cannot be made.
UniqueGdiObject MakeLogo(int width, int height, COLORREF background);

}  // namespace vtr::win32
