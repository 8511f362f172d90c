#include "mainWindow.h"
#include "cubeHistory.h"
#include "openFiles.h"
#include "scaledLayout.h"
#include "../shell/dpi.h"
#include "../shell/currentSequence.h"
#include "../shell/shell.h"
#include "../shell/resource.h"
#include "../shell/settings.h"
#include "../cubeview/cubeView.h"
#include "../engine/runtimeFlags.h"
#include "../engine/sequenceStore.h"
#include "../files/recorder.h"
#include "../search/searchJob.h"

#include <commctrl.h>
#include <shellapi.h>

#include <windowsx.h>

Shell App;

namespace {

const char MainClassName[] = "DLGCLASS";

// Enter executes the sequence first; the key then reaches the field as usual.
LRESULT CALLBACK sequenceFieldProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_KEYDOWN && wParam == VK_RETURN)
        SendMessageA(App.mainWindow, WM_COMMAND, IDM_EXECUTE_SEQUENCE, 0);
    return CallWindowProcA(App.previousFieldProc, hwnd, msg, wParam, lParam);
}

HWND createViewIn(HWND group) {
    const RECT rect = viewRectIn(group, dpiOf(group));
    HWND view = createCubeView(group, App.instance, &rect);
    if (view) SendMessageA(view, CCM_SETCOLORS, 0, reinterpret_cast<LPARAM>(SideColors.colors));
    return view;
}

BOOL onInitDialog(HWND hwnd, HWND, LPARAM) {
    App.mainWindow = hwnd;
    App.sourceView = createViewIn(GetDlgItem(hwnd, IDC_SOURCE_GROUP));
    App.destinationView = createViewIn(GetDlgItem(hwnd, IDC_DEST_GROUP));
    App.sequenceField = GetDlgItem(hwnd, IDC_SEQUENCE);
    App.previousFieldProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        App.sequenceField, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(sequenceFieldProc)));
    App.programIcon = LoadIconA(App.instance, MAKEINTRESOURCEA(IDI_APP));
    SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(App.programIcon));
    SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(App.programIcon));
    DragAcceptFiles(hwnd, TRUE);
    rememberLayout(hwnd);
    startCubeHistory();
    return TRUE;
}

void onSetFocus(HWND, HWND) {
    SetFocus(App.sequenceField);
}

// While recording, the field is drawn on light yellow, with one brush made when first needed.
HBRUSH onCtlColorEdit(HWND hwnd, HDC dc, HWND control) {
    if (!Recorder.on)
        return reinterpret_cast<HBRUSH>(DefWindowProcA(hwnd, WM_CTLCOLOREDIT,
                                                       reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(control)));
    SetBkMode(dc, TRANSPARENT);
    if (!App.recordingBrush) App.recordingBrush = CreateSolidBrush(RGB(255, 255, 208));
    return App.recordingBrush;
}

void onClose(HWND hwnd) {
    confirmStopRecording();
    DestroyWindow(hwnd);
}

void onDestroy(HWND) {
    confirmStopRecording();
    PostQuitMessage(0);
}

// The field may still be painted while the questions at close are open, so the brush goes
// only once the window and its children are gone.
void onNcDestroy() {
    if (App.recordingBrush) DeleteObject(App.recordingBrush);
    App.recordingBrush = nullptr;
    forgetLayout();
}

// The search's own thread hands over what the user accepted; the sequence is stored here, on
// the thread that owns it and the field.
void onSearchAccepted(const SearchJob* job) {
    acceptSequence(job->result, sizeof job->result, job->resultLength);
}

// Only turns of the destination cube are recorded; any other edit of a cube asks first.
void onNotify(const NMHDR* note) {
    if (note->code == CVN_EDITING) confirmStopRecording();
    if (note->code == CVN_CHANGED) noteCubeChange();
    if (note->code == CVN_SIDETURNED && note->hwndFrom == App.destinationView) {
        const NMCUBETURN* turn = reinterpret_cast<const NMCUBETURN*>(note);
        recordTurn(turn->code, turn->halfTurn);
    }
}

} // namespace

// The class procedure and the dialog procedure at once; what it does not handle goes to the
// default window procedure, so the dialog manager adds no keyboard handling of its own.
LRESULT CALLBACK mainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_INITDIALOG:
            return onInitDialog(hwnd, reinterpret_cast<HWND>(wParam), lParam);
        case WM_COMMAND:
            // The whole command word matters: a notification from a control is not a command.
            onMainCommand(hwnd, int(LOWORD(wParam)), reinterpret_cast<HWND>(lParam),
                          UINT(HIWORD(wParam)));
            return 0;
        case WM_SETFOCUS:
            onSetFocus(hwnd, reinterpret_cast<HWND>(wParam));
            return 0;
        case WM_CTLCOLOREDIT:
            return reinterpret_cast<LRESULT>(onCtlColorEdit(hwnd, reinterpret_cast<HDC>(wParam),
                                                            reinterpret_cast<HWND>(lParam)));
        case WM_CLOSE:
            onClose(hwnd);
            return 0;
        case WM_DESTROY:
            onDestroy(hwnd);
            return 0;
        case WM_NCDESTROY:
            onNcDestroy();
            break;
        case WM_NOTIFY:
            onNotify(reinterpret_cast<const NMHDR*>(lParam));
            return 0;
        case WM_DPICHANGED:
            onDpiChanged(hwnd, HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_DROPFILES:
            onDropFiles(hwnd, reinterpret_cast<HDROP>(wParam));
            noteCubeChange();
            return 0;
        case WM_SEARCH_ACCEPTED:
            onSearchAccepted(reinterpret_cast<const SearchJob*>(lParam));
            return 0;
        case WM_SEARCH_FINISHED:
            onSearchFinished(reinterpret_cast<SearchJob*>(lParam));
            return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

namespace {

ATOM registerMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = mainWindowProc;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
    wc.lpszClassName = MainClassName;
    return RegisterClassExA(&wc);
}

} // namespace

// The progress and trackbar classes of the dialogs must be there before they open. Registering
// a class again fails and changes nothing.
void registerWindowClasses(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    registerCubeViewClass(instance);
    registerMainWindowClass(instance);
}

HWND createMainWindow(HINSTANCE instance) {
    App.instance = instance;
    App.heap = GetProcessHeap();
    return CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                              reinterpret_cast<DLGPROC>(mainWindowProc), 0);
}

// Defaults, then the registry, then the window; the loop does no dialog keyboard handling, so
// Enter reaches the sequence field.
// Ctrl+Z and Ctrl+Y undo and redo cube changes wherever the focus is in the main window, the
// sequence field included; not while a dialog or a search holds the window.
bool translateProgramKeys(MSG* msg) {
    static const HACCEL keys = LoadAcceleratorsA(App.instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    return keys && App.mainWindow && IsWindowEnabled(App.mainWindow) &&
           (msg->hwnd == App.mainWindow || IsChild(App.mainWindow, msg->hwnd)) &&
           TranslateAcceleratorA(App.mainWindow, keys, msg);
}

int runMainRoutine(HINSTANCE instance) {
    setDefaultColors();
    setDefaultSettings();
    loadSettings();
    if (!(RuntimeFlags & Sse2Available)) Settings.flags |= DisableSse2;
    registerWindowClasses(instance);
    int exitCode = 1;
    if (HWND window = createMainWindow(instance)) {
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
        openCommandLineFiles(GetCommandLineW());
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (translateProgramKeys(&msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        exitCode = int(msg.wParam);
    }
    freeSequenceRecord(&CurrentSequence);
    freeCommentBuffer(&SequenceComment);
    freeCommentBuffer(&CubeComment);
    return exitCode;
}
