#include "helpMenu.h"
#include "shell.h"

#include <shellapi.h>

// The shell's own About box; it shows the shell's icon, as the program asks for none.
void showAboutBox(HWND owner) {
    ShellAboutA(owner, ProgramTitle,
                "A cube puzzle emulator with a brute-force sequence search, by Morvane.", nullptr);
}
