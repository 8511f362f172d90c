// The real main window, made afresh for each test, with its file dialogs and questions answered
// by the test; and a driver for the modal dialogs it opens.
#pragma once

#include "windowTesting.h"
#include "cubeView.h"
#include "fileDialogs.h"
#include "messageBox.h"
#include "resource.h"
#include "settings.h"
#include "shell.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <vector>

// Calls open(), which shows a modal dialog box owned by the main window, and has act() work it
// from inside its loop, as a user would. True when the dialog then closed by itself.
bool driveModal(const std::function<void()>& open, const std::function<void(HWND)>& act);

struct ProgramWindow : ::testing::Test {
    HWND window = nullptr;
    std::string folder; // of the test's files, removed at its end

    void SetUp() override;
    void TearDown() override;

    void command(int id) { SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    void setField(const std::string& text) { SetWindowTextA(App.sequenceField, text.c_str()); }
    std::string field() const { return windowText(App.sequenceField); }
    // What a view tells its parent after a drag turned a side.
    void sideTurned(HWND view, uint8_t code) {
        NMCUBETURN note = {{view, UINT_PTR(GetDlgCtrlID(view)), CVN_SIDETURNED}, code, false};
        SendMessageA(window, WM_NOTIFY, note.header.idFrom, reinterpret_cast<LPARAM>(&note));
    }
    std::string pathOf(const std::string& name) const { return folder + "\\" + name; }
    // Works the modal dialog that the command opens; see driveModal.
    bool openDialog(int id, const std::function<void(HWND)>& act) {
        return driveModal([=] { command(id); }, act);
    }

    // What the next file dialog answers: a path, or "" for Cancel.
    static std::string nextChosenFile;
    // What the next question answers; each text shown is kept.
    static int nextAnswer;
    static std::vector<std::string> questions;
};

// While set, every allocation of this program fails, as when the address space is used up.
extern std::atomic<bool> failAllocations;
// While set, only the heap blocks of the stored sequence and the comments cannot be had.
extern std::atomic<bool> failHeapBlocks;
