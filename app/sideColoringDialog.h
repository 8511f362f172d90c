// The "Side Coloring" dialog: the seven entries of the side colour table, chosen by swatch.
#pragma once

#include <windows.h>

// The views whose colours the dialog reads (source) and sets (both).
struct SideColoringRecord {
    HWND sourceView;
    HWND destinationView;
};

void showSideColoringDialog(HWND owner, const SideColoringRecord& record);
void showSideColoringDialog(HWND owner);
