// Test-only: reports what the emulator shows, as plain text lines, for the end-to-end harness.
// It runs as a separate process in the emulator's Wine prefix, so it reads windows the way any
// outside program can: texts, classes, control ids and rectangles, never menus or memory.
//
//   inspector.exe OUTPUT [--desktop NAME] COMMAND...
//
//   windows           every top-level window, then its descendants; then where keys go
//   squares           the screen point inside each square of each cube view
//   expect MOVES      the colour index of each square after MOVES on the assembled cube
//   deletekey SUBKEY  removes HKEY_CURRENT_USER\SUBKEY with everything below it
//
// Fields are separated by tabs; tabs, line breaks and backslashes inside texts are escaped.
#include <windows.h>

#include "geometry.h"
#include "notation.h"
#include "packedCube.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

enum : int {
    SourceGroupId = 1001,
    DestinationGroupId = 1002,
    // Long enough for a hung window not to stall the harness, short enough to be generous.
    MessageTimeoutMs = 2000,
};

const char CubeViewClass[] = "CubeCtlClass";

std::string escaped(const std::string& text) {
    std::string out;
    for (char ch : text) {
        switch (ch) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += ch;
        }
    }
    return out;
}

// GetWindowTextA gives only the caption kept by the window manager for a window of another
// process; an edit control's typed text has to be asked for with WM_GETTEXT. A hung window
// falls back to the caption rather than holding up the report.
std::string windowText(HWND hwnd) {
    DWORD_PTR length = 0;
    if (SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, MessageTimeoutMs,
                            &length)) {
        std::vector<char> buffer(length + 2, '\0');
        DWORD_PTR copied = 0;
        if (SendMessageTimeoutA(hwnd, WM_GETTEXT, buffer.size(),
                                reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                                MessageTimeoutMs, &copied))
            return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
    }
    char caption[1024] = "";
    GetWindowTextA(hwnd, caption, sizeof caption);
    return caption;
}

std::string className(HWND hwnd) {
    char name[256] = "";
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

void printWindow(FILE* out, HWND hwnd, int depth) {
    RECT r = {};
    GetWindowRect(hwnd, &r);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    // A top-level window's "control id" is its menu handle: report 0 there.
    const int id = depth == 0 ? 0 : GetDlgCtrlID(hwnd);
    const HWND parent = depth == 0 ? GetWindow(hwnd, GW_OWNER) : GetParent(hwnd);
    fprintf(out, "window\t%p\t%p\t%d\t%s\t%d\t%08lx\t%ld %ld %ld %ld\t%lu\t%s\n",
            static_cast<void*>(hwnd), static_cast<void*>(parent), depth,
            escaped(className(hwnd)).c_str(), id, static_cast<unsigned long>(style), r.left, r.top,
            r.right, r.bottom, static_cast<unsigned long>(pid), escaped(windowText(hwnd)).c_str());
}

BOOL CALLBACK addWindow(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> topLevelWindows() {
    std::vector<HWND> found;
    EnumWindows(addWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<HWND> childWindows(HWND parent) {
    std::vector<HWND> found;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        found.push_back(child);
    return found;
}

void printTree(FILE* out, HWND hwnd, int depth) {
    printWindow(out, hwnd, depth);
    for (HWND child : childWindows(hwnd))
        printTree(out, child, depth + 1);
}

// Parents before children, so a reader can rebuild the tree from the depth column alone. The
// last line names where keystrokes go: the foreground window and its thread's focus.
void reportWindows(FILE* out) {
    for (HWND hwnd : topLevelWindows())
        printTree(out, hwnd, 0);
    const HWND foreground = GetForegroundWindow();
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (foreground) GetGUIThreadInfo(GetWindowThreadProcessId(foreground, nullptr), &info);
    fprintf(out, "focus\t%p\t%p\n", static_cast<void*>(foreground),
            static_cast<void*>(info.hwndFocus));
}

void collectViews(HWND hwnd, std::vector<HWND>* views) {
    for (HWND child : childWindows(hwnd)) {
        if (className(child) == CubeViewClass) views->push_back(child);
        collectViews(child, views);
    }
}

const char* viewLabel(HWND view, int ordinal, char* spare, size_t spareSize) {
    switch (GetDlgCtrlID(GetParent(view))) {
        case SourceGroupId:
            return "source";
        case DestinationGroupId:
            return "destination";
    }
    snprintf(spare, spareSize, "view%d", ordinal);
    return spare;
}

// The average of a square's corners lies well inside it whatever the view's size, away from
// the grid lines drawn over the edges.
void reportSquares(FILE* out) {
    std::vector<HWND> views;
    for (HWND hwnd : topLevelWindows())
        if (IsWindowVisible(hwnd)) collectViews(hwnd, &views);
    static ViewGeometry geometry;
    int ordinal = 0;
    for (HWND view : views) {
        char spare[16];
        const char* label = viewLabel(view, ordinal++, spare, sizeof spare);
        RECT client;
        GetClientRect(view, &client);
        POINT origin = {0, 0};
        ClientToScreen(view, &origin);
        fprintf(out, "view\t%s\t%p\t%ld %ld %ld %ld\n", label, static_cast<void*>(view), origin.x,
                origin.y, origin.x + client.right, origin.y + client.bottom);
        computeGeometry(client.right, client.bottom, &geometry);
        for (int i = 0; i < SquareCount; ++i) {
            long x = 0, y = 0;
            for (const ViewPoint& p : geometry.squares[i].corners) {
                x += p.x;
                y += p.y;
            }
            fprintf(out, "square\t%s\t%d\t%ld\t%ld\n", label, i, origin.x + x / 4,
                    origin.y + y / 4);
        }
    }
}

// Colour index per square in view order (9 x side + position); a centre shows its side.
bool reportExpected(FILE* out, const char* text) {
    static MoveCode codes[MaxExecuteMoves + 1];
    const uint32_t count = parseMoveText(codes, text, MaxExecuteMoves);
    if (count == 0 && text[0] != '\0') {
        fprintf(stderr, "inspector: no moves in \"%s\"\n", text);
        return false;
    }
    alignas(16) PackedCube cube = SolvedCube;
    if (count > 0) executeSequence(codes, count, &cube, false);
    fprintf(out, "expect\t%s\t", escaped(text).c_str());
    for (int side = 0; side < 6; ++side)
        for (int position = 0; position < 9; ++position)
            fprintf(out, "%s%d", side || position ? " " : "",
                    position == 8 ? side : cube.bytes[8 * side + position]);
    fprintf(out, "\n");
    return true;
}

bool deleteKey(const char* subKey) {
    const LSTATUS status = RegDeleteTreeA(HKEY_CURRENT_USER, subKey);
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return true;
    fprintf(stderr, "inspector: deleting HKCU\\%s failed (%ld)\n", subKey, long(status));
    return false;
}

// A process sees the windows of its own desktop only; the emulator runs on a named virtual
// desktop, so the inspector moves there before looking.
bool joinDesktop(const char* name) {
    HDESK desktop = OpenDesktopA(name, 0, FALSE, GENERIC_ALL);
    if (!desktop) {
        fprintf(stderr, "inspector: no desktop \"%s\"\n", name);
        return false;
    }
    return SetThreadDesktop(desktop) != FALSE;
}

int usage() {
    fprintf(stderr, "usage: inspector OUTPUT [--desktop NAME] "
                    "(windows | squares | expect MOVES | deletekey SUBKEY)...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    int next = 2;
    if (strcmp(argv[next], "--desktop") == 0) {
        if (argc < 5) return usage();
        if (!joinDesktop(argv[next + 1])) return 1;
        next += 2;
    }
    // Written under another name and renamed when complete, so a reader never sees half a
    // report.
    const std::string outputPath = argv[1];
    const std::string partPath = outputPath + ".part";
    FILE* out = fopen(partPath.c_str(), "w");
    if (!out) {
        fprintf(stderr, "inspector: cannot write %s\n", partPath.c_str());
        return 1;
    }
    bool ok = true;
    for (; ok && next < argc; ++next) {
        const char* command = argv[next];
        const bool hasArgument = next + 1 < argc;
        if (strcmp(command, "windows") == 0) {
            reportWindows(out);
        } else if (strcmp(command, "squares") == 0) {
            reportSquares(out);
        } else if (strcmp(command, "expect") == 0 && hasArgument) {
            ok = reportExpected(out, argv[++next]);
        } else if (strcmp(command, "deletekey") == 0 && hasArgument) {
            ok = deleteKey(argv[++next]);
        } else {
            fclose(out);
            return usage();
        }
    }
    fclose(out);
    if (!ok) return 1;
    return MoveFileExA(partPath.c_str(), outputPath.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
