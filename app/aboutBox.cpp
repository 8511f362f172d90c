#include "helpMenu.h"
#include "../shell/shell.h"

#include <shellapi.h>

#include <cstdio>

// The shell's own About box; it shows the shell's icon, as the program asks for none. The
// version goes with the name, which the box shows in its caption and first line (Wine does not
// know the '#' that would split the two). The credit is short enough for the box's single line.
void showAboutBox(HWND owner) {
    char name[96];
    std::snprintf(name, sizeof name, "%s version %s", ProgramTitle, CUBE_VERSION);
    ShellAboutA(owner, name, "Cube emulator with sequence search, by Morvane.", nullptr);
}
