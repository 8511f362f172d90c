// The real main window, created fresh for each test, with its dialogs and questions answered
// by the test.
#pragma once

#include "windowTesting.h"
#include "fileDialogs.h"
#include "messageBox.h"
#include "resource.h"
#include "settings.h"
#include "shell.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct ProgramWindow : ::testing::Test {
    HWND window = nullptr;
    std::string folder;

    void SetUp() override;
    void TearDown() override;

    void command(int id) { SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    void setField(const std::string& text) { SetWindowTextA(App.sequenceField, text.c_str()); }
    std::string field() const { return windowText(App.sequenceField); }
    std::string title() const { return windowText(window); }
    std::string pathOf(const std::string& name) const { return folder + "\\" + name; }

    // What the next file dialog answers: a path, or "" for Cancel. Each dialog shown is kept.
    static std::string nextChosenFile;
    static std::vector<std::string> dialogTitles;
    // What the next question answers; each text shown is kept.
    static int nextAnswer;
    static std::vector<std::string> questions;
};

std::vector<uint8_t> fileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool fileExists(const std::string& path);
