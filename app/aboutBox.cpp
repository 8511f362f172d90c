#include "helpMenu.h"
#include "../shell/shell.h"

#include <shellapi.h>

// The shell's own About box; it shows the shell's icon, as the program asks for none. The
// credit is short enough for the box's single line.
void showAboutBox(HWND owner) {
    ShellAboutA(owner, ProgramTitle, "Cube emulator with sequence search, by Morvane.", nullptr);
}
