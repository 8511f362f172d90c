#include "colorChooser.h"

#include <commdlg.h>

COLORREF CustomColors[16];
ColorChooser colorChooser = chooseColor;

// Opens fully, on the given colour; the colour changes only when the user confirms.
bool chooseColor(HWND owner, COLORREF* color) {
    CHOOSECOLORA cc = {};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = owner;
    cc.rgbResult = *color;
    cc.lpCustColors = CustomColors;
    cc.Flags = CC_FULLOPEN | CC_RGBINIT;
    if (!ChooseColorA(&cc)) return false;
    *color = cc.rgbResult;
    return true;
}
