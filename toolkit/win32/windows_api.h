// The one way the layer includes the Windows headers.
//
// toolkit.h names the window system's own constants (HWND_TOPMOST, SWP_NOSIZE ...) as C++ constants,
// and <windows.h> defines the same names as macros; toolkit.h must therefore be read first. Inside the
// layer the Windows records are written ::POINT and ::RECT, as POINT and RECT are the toolkit's.
#pragma once

#include "toolkit/toolkit.h"

#include <windows.h>
