#include "windowTesting.h"
#include "cubeView.h"
#include "mainWindow.h"
#include "shell.h"

#include <vector>

HINSTANCE testInstance() {
    return GetModuleHandleA(nullptr);
}

void registerProgramClasses() {
    static bool done = false;
    if (done) return;
    registerCommonControls();
    registerCubeViewClass(testInstance());
    registerMainWindowClass(testInstance());
    done = true;
}

void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void destroyMainWindow(HWND window) {
    if (IsWindow(window)) DestroyWindow(window);
    pumpMessages();
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

// Reads what the window shows now, from its own device context.
COLORREF pixelAt(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return c;
}

std::string windowText(HWND window) {
    std::vector<char> text(size_t(GetWindowTextLengthA(window)) + 2);
    GetWindowTextA(window, text.data(), int(text.size()));
    return text.data();
}

namespace {

struct OwnWindowSearch {
    const char* title;
    HWND found;
};

BOOL CALLBACK matchOwnWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<OwnWindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != GetCurrentProcessId() || windowText(window) != search->title) return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

HWND findOwnWindow(const char* title) {
    OwnWindowSearch search = {title, nullptr};
    EnumWindows(matchOwnWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

PackedCube viewState(HWND view) {
    PackedCube state;
    SendMessageA(view, CCM_GETSTATE, 0, reinterpret_cast<LPARAM>(&state));
    return state;
}

void setViewState(HWND view, const PackedCube& state) {
    SendMessageA(view, CCM_SETSTATE, 1, reinterpret_cast<LPARAM>(&state));
}

std::string scratchKeyPath(const char* name) {
    return "Software\\Brackenfold\\Tests\\" + std::string(name) + "-" +
           std::to_string(GetCurrentProcessId());
}

void deleteKeyTree(const std::string& path) {
    RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
}
