// Built for Windows only, as part of the tool: <windows.h> first, then the portable headers
// that use Windows' own names (COLORREF, RGB, the DT_* flags) in a namespace of ours. The
// Windows build fails unless this compiles, and unless both RGBs lay a colour out alike.
#include <windows.h>

#include "pages/MeasurementGrid.h"
#include "widgets/GridCell.h"
#include "widgets/GridColour.h"
#include "widgets/GridCtrl.h"

static_assert((Gdi::RGB)(0x12, 0x34, 0x56) == RGB(0x12, 0x34, 0x56));
static_assert(sizeof(Gdi::COLORREF) == sizeof(COLORREF));
