// Lists the windows of a Wine virtual desktop as an outside program sees them, for the desktop
// driver (desktop.py). Menus and memory of another process are out of its reach.
//
//   windowList.exe OUTPUT DESKTOP windows     depth, class, id, visible, rect, text a line
//   windowList.exe OUTPUT WIDTHxHEIGHT squares the middle of each square of a cube view of that
//                                              client size, "x y" a line, in the view's order
//   windowList.exe FILE DESKTOP clip           puts FILE's text on the clipboard, as another
//                                              program would
//   windowList.exe FILE DESKTOP clipped        writes the clipboard's text to FILE
#include <windows.h>

#include "geometry.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// An edit control of another process answers only WM_GETTEXT with what was typed into it; a
// hung window must not hold up the report.
std::string textOf(HWND hwnd) {
    char text[2048] = "";
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    text[sizeof text - 1] = '\0';
    // One window a line: line breaks and tabs inside texts become spaces.
    for (char* c = text; *c; ++c)
        if (*c == '\t' || *c == '\r' || *c == '\n') *c = ' ';
    return text;
}

void report(FILE* out, HWND hwnd, int depth) {
    char cls[256] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    RECT r = {};
    GetWindowRect(hwnd, &r);
    fprintf(out, "%d\t%s\t%d\t%d\t%ld %ld %ld %ld\t%s\n", depth, cls,
            depth ? GetDlgCtrlID(hwnd) : 0, IsWindowVisible(hwnd) ? 1 : 0, r.left, r.top, r.right,
            r.bottom, textOf(hwnd).c_str());
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        report(out, child, depth + 1);
}

BOOL CALLBACK reportTopLevel(HWND hwnd, LPARAM out) {
    report(reinterpret_cast<FILE*>(out), hwnd, 0);
    return TRUE;
}

// The view's own geometry, so the driver knows where each square is drawn at any size.
int reportSquares(const char* path, const char* size) {
    int width = 0, height = 0;
    if (sscanf(size, "%dx%d", &width, &height) != 2) return 2;
    static ViewGeometry g;
    computeGeometry(width, height, &g);
    FILE* out = fopen(path, "w");
    if (!out) return 1;
    for (const SquareShape& square : g.squares) {
        int x = 0, y = 0;
        for (const ViewPoint& corner : square.corners)
            x += corner.x, y += corner.y;
        fprintf(out, "%d %d\n", x / 4, y / 4);
    }
    return fclose(out) == 0 ? 0 : 1;
}

int putOnClipboard(const char* path) {
    std::string text;
    if (FILE* in = fopen(path, "rb")) {
        for (int c; (c = fgetc(in)) != EOF;)
            text += char(c);
        fclose(in);
    }
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!block || !OpenClipboard(nullptr)) return 1;
    memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    EmptyClipboard();
    const bool set = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
    return set ? 0 : 1;
}

int writeClipboard(const char* path) {
    if (!OpenClipboard(nullptr)) return 1;
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* text = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    FILE* out = fopen(path, "wb");
    if (out && text) fputs(text, out);
    if (text) GlobalUnlock(data);
    CloseClipboard();
    return out && fclose(out) == 0 && text ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[3], "squares") == 0) return reportSquares(argv[1], argv[2]);
    if (argc != 4) return 2;
    // A process sees the windows of its own desktop only.
    HDESK desktop = OpenDesktopA(argv[2], 0, FALSE, GENERIC_ALL);
    if (!desktop || !SetThreadDesktop(desktop)) return 1;
    if (strcmp(argv[3], "clip") == 0) return putOnClipboard(argv[1]);
    if (strcmp(argv[3], "clipped") == 0) return writeClipboard(argv[1]);
    if (strcmp(argv[3], "windows") != 0) return 2;
    // Renamed into place when complete, so a reader never sees half a report.
    const std::string part = std::string(argv[1]) + ".part";
    FILE* out = fopen(part.c_str(), "w");
    if (!out) return 1;
    EnumWindows(reportTopLevel, reinterpret_cast<LPARAM>(out));
    fclose(out);
    return MoveFileExA(part.c_str(), argv[1], MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
