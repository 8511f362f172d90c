#include "openFiles.h"
#include "../shell/currentSequence.h"
#include "../shell/shell.h"
#include "../files/recorder.h"
#include "../files/sequenceFile.h"
#include "../files/stateFile.h"

#include <shellapi.h>

#include <cstring>
#include <new>
#include <vector>

namespace {

// The program works with ANSI names. One the code page cannot spell may still have a short form
// that it can; without one the file is not opened.
bool toAnsiPath(const wchar_t* wide, char (&path)[RememberedNameSize]) {
    BOOL lossy = FALSE;
    if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, path, sizeof path, nullptr,
                            &lossy) > 0 &&
        !lossy)
        return true;
    wchar_t shortName[MAX_PATH];
    const DWORD length = GetShortPathNameW(wide, shortName, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    lossy = FALSE;
    return WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, shortName, -1, path, sizeof path,
                               nullptr, &lossy) > 0 &&
           !lossy;
}

bool hasExtension(const char* path, const char* extension) {
    const char* dot = std::strrchr(path, '.');
    return dot && !std::strpbrk(dot, "\\/") && lstrcmpiA(dot, extension) == 0;
}

bool pointIsOn(HWND window, HWND control, POINT point) {
    RECT rect;
    ClientToScreen(window, &point);
    return GetWindowRect(control, &rect) && PtInRect(&rect, point);
}

} // namespace

bool openNamedFile(const wchar_t* path, bool toDestination) {
    char name[RememberedNameSize];
    if (!toAnsiPath(path, name)) return false;
    if (hasExtension(name, ".csq")) return loadSequenceFile(name);
    if (hasExtension(name, ".csf")) return loadCubeFile(name, !toDestination);
    return false;
}

void openCommandLineFiles(const wchar_t* commandLine) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(commandLine, &count);
    if (!arguments) return;
    for (int i = 1; i < count; ++i)
        openNamedFile(arguments[i], false);
    LocalFree(arguments);
}

// A drop while a dialog or a search holds the window is ignored, as a click would be.
void onDropFiles(HWND window, HDROP drop) {
    if (IsWindowEnabled(window)) {
        confirmStopRecording();
        POINT point;
        const bool onDestination =
            DragQueryPoint(drop, &point) && pointIsOn(window, App.destinationView, point);
        const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        // A name that cannot be held in memory is passed over like a bad file.
        for (UINT i = 0; i < count; ++i) {
            try {
                std::vector<wchar_t> path(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
                if (DragQueryFileW(drop, i, path.data(), UINT(path.size())))
                    openNamedFile(path.data(), onDestination);
            } catch (const std::bad_alloc&) {
            }
        }
    }
    DragFinish(drop);
}
