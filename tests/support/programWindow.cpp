#include "programWindow.h"
#include "geometry.h"
#include "currentSequence.h"
#include "mainWindow.h"
#include "searchJob.h"
#include "sequenceStore.h"
#include "heap.h"

#include <shellapi.h>

#include <cstdlib>
#include <utility>

void pumpMessages() {
    for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); DispatchMessageA(&msg))
        TranslateMessage(&msg);
}

// What the window shows now, read from its own device context.
COLORREF pixelAt(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return c;
}

std::string windowText(HWND window) {
    std::string text(size_t(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(size_t(GetWindowTextA(window, &text[0], int(text.size()))));
    return text;
}

PackedCube viewState(HWND view) {
    PackedCube state;
    SendMessageA(view, CCM_GETSTATE, 0, reinterpret_cast<LPARAM>(&state));
    return state;
}

std::vector<COLORREF> viewColors(HWND view) {
    std::vector<COLORREF> colors(6);
    SendMessageA(view, CCM_GETCOLORS, 0, reinterpret_cast<LPARAM>(colors.data()));
    return colors;
}

POINT squareMiddle(HWND view, int square) {
    RECT client;
    GetClientRect(view, &client);
    static ViewGeometry g;
    computeGeometry(client.right, client.bottom, &g);
    POINT sum = {0, 0};
    for (const ViewPoint& corner : g.squares[square].corners)
        sum.x += corner.x, sum.y += corner.y;
    return {sum.x / 4, sum.y / 4};
}

void setViewState(HWND view, const PackedCube& state) {
    SendMessageA(view, CCM_SETSTATE, 1, reinterpret_cast<LPARAM>(&state));
}

std::string ProgramWindow::nextChosenFile;
int ProgramWindow::nextAnswer;
std::vector<std::string> ProgramWindow::questions;
std::atomic<bool> failAllocations{false};

// The runtime's operator delete frees what malloc gave.
void* operator new(std::size_t size) {
    void* block = failAllocations ? nullptr : std::malloc(size ? size : 1);
    return block ? block : throw std::bad_alloc();
}

// The program's own heap functions, defined here, take the place of the real ones, which then
// stay out of the link: the same process heap, with a way to make it refuse.
std::atomic<bool> failHeapBlocks{false};

void* heapAllocZeroed(uint32_t size) {
    if (failAllocations || failHeapBlocks) return nullptr;
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size);
}

void* heapResizeZeroed(void* block, uint32_t, uint32_t newSize) {
    if (failAllocations || failHeapBlocks) return nullptr;
    return HeapReAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, block, newSize);
}

void heapFree(void* block) {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}

namespace {

bool answerFileDialog(HWND, char* path, const char*, const FileKind&) {
    lstrcpynA(path, ProgramWindow::nextChosenFile.c_str(), DialogNameSize);
    return !ProgramWindow::nextChosenFile.empty();
}

// A question ends a run of failing allocations: the test reads it afterwards.
int WINAPI answerQuestion(HWND, LPCSTR text, LPCSTR, UINT) {
    failAllocations = false;
    ProgramWindow::questions.push_back(text);
    return ProgramWindow::nextAnswer;
}

const std::function<void(HWND)>* action; // of the one modal run at a time, until it acts
bool closedByItself;

// A dialog the action left open would block the test for good: it is ended.
void CALLBACK onTick(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = nullptr; // the main window's own dialog box
    while ((dialog = FindWindowExA(nullptr, dialog, "#32770", nullptr)) &&
           (!IsWindowVisible(dialog) || GetWindow(dialog, GW_OWNER) != App.mainWindow)) {
    }
    if (!dialog || !action) return;
    (*std::exchange(action, nullptr))(dialog);
    closedByItself = !IsWindowVisible(dialog);
    if (!closedByItself) EndDialog(dialog, -1);
}

} // namespace

bool driveModal(const std::function<void()>& open, const std::function<void(HWND)>& act) {
    action = &act;
    closedByItself = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, onTick);
    open();
    KillTimer(nullptr, timer);
    return closedByItself;
}

void ProgramWindow::SetUp() {
    registerWindowClasses(GetModuleHandleA(nullptr));
    setDefaultSettings();
    setDefaultColors();
    openFileChooser = saveFileChooser = answerFileDialog;
    showMessageBox = answerQuestion;
    nextChosenFile.clear();
    nextAnswer = IDCANCEL;
    questions.clear();
    SequenceFileName[0] = SourceCubeFileName[0] = DestinationCubeFileName[0] = '\0';
    char temp[MAX_PATH];
    folder.assign(temp, GetTempPathA(MAX_PATH, temp)) +=
        "cubeTests-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    window = createMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(nullptr, window);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    pumpMessages();
}

// A search left running ends first. The window's end posts a quit message, which would end
// the next test's dialogs. The test's answerers stay, so no real dialog blocks a later test.
void ProgramWindow::TearDown() {
    if (ActiveJob) ActiveJob->search.running = false;
    waitFor([] { return ActiveJob == nullptr; });
    Recorder = {};
    DestroyWindow(window);
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    freeSequenceRecord(&CurrentSequence);
    freeCommentBuffer(&SequenceComment);
    freeCommentBuffer(&CubeComment);
    const std::string folders = folder + '\0'; // a list, ended by an empty name
    SHFILEOPSTRUCTA removal = {nullptr, FO_DELETE, folders.c_str(), nullptr, FOF_NO_UI, 0, 0, 0};
    SHFileOperationA(&removal);
}
