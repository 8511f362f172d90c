#include "modalDriver.h"

namespace {

// One run at a time, on the test's thread. Steps go to the newest dialog still open, so a step
// that opens a further modal dialog (a colour chooser, say) has the next steps answer it.
struct Driver {
    HHOOK hook;
    std::vector<HWND> dialogs;
    std::vector<DialogStep> steps;
    size_t next;
    int idleTicks;
    bool forced;
};
Driver driver;

bool isDialogBox(HWND window) {
    char name[16];
    return GetClassNameA(window, name, sizeof name) && lstrcmpA(name, "#32770") == 0 &&
           !(GetWindowLongA(window, GWL_STYLE) & WS_CHILD);
}

LRESULT CALLBACK watchCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && isDialogBox(reinterpret_cast<HWND>(wParam)))
        driver.dialogs.push_back(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(driver.hook, code, wParam, lParam);
}

// A dialog still being set up is not visible yet; its steps wait for it.
HWND newestDialog() {
    for (auto d = driver.dialogs.rbegin(); d != driver.dialogs.rend(); ++d)
        if (IsWindow(*d)) return *d;
    return nullptr;
}

// A dialog left open after the last step would block the test for good; a few ticks later it
// is ended and the run reports it.
void CALLBACK onTick(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = newestDialog();
    if (!dialog || !IsWindowVisible(dialog)) return;
    if (driver.next < driver.steps.size()) {
        driver.steps[driver.next++](dialog);
        return;
    }
    if (++driver.idleTicks < 20) return;
    driver.forced = true;
    EndDialog(dialog, -1);
}

} // namespace

ModalRun driveModal(const std::function<void()>& open, std::vector<DialogStep> steps) {
    driver = {nullptr, {}, std::move(steps), 0, 0, false};
    driver.hook = SetWindowsHookExA(WH_CBT, watchCreation, nullptr, GetCurrentThreadId());
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, onTick);
    open();
    KillTimer(nullptr, timer);
    UnhookWindowsHookEx(driver.hook);
    HWND first = driver.dialogs.empty() ? nullptr : driver.dialogs.front();
    const ModalRun run = {int(driver.next), driver.forced, first};
    driver = {};
    return run;
}

void clickButton(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void postKey(HWND control, UINT key) {
    PostMessageA(control, WM_KEYDOWN, key, 1);
    PostMessageA(control, WM_KEYUP, key, 0xC0000001);
}

HWND focusIn(HWND dialog) {
    if (GetActiveWindow() != dialog) SetActiveWindow(dialog);
    return GetFocus();
}
