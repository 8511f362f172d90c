#include "programWindow.h"
#include "currentSequence.h"
#include "openFiles.h"
#include "testCubes.h"

#include <shlobj.h>

#include <string>

namespace {

// The tests' folder has an ASCII name.
std::wstring wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

// As the shell sends it: the drop point in the window's client area and wide names, each ended,
// with an empty one after the last.
void dropFiles(HWND window, HWND onto, const std::vector<std::wstring>& names) {
    size_t chars = 1;
    for (const std::wstring& name : names)
        chars += name.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    RECT rect;
    GetWindowRect(onto, &rect);
    POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ScreenToClient(window, &point);
    *header = {sizeof(DROPFILES), point, FALSE, TRUE};
    wchar_t* next = reinterpret_cast<wchar_t*>(header + 1);
    for (const std::wstring& name : names)
        next = std::copy(name.begin(), name.end(), next) + 1;
    GlobalUnlock(memory);
    PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    pumpMessages();
}

} // namespace

// A .csq named on the command line loads into the sequence and a .csf into the source cube, as
// the Load commands load them, whatever the code page can spell; a dropped .csf goes to the
// cube it lands on. Other files, bad ones and drops onto a disabled window change nothing.
TEST_F(ProgramWindow, FilesFromOutsideLoadAsTheLoadCommandsDo) {
    const PackedCube state = afterMoves(SolvedCube, {4, 9});
    setViewState(App.sourceView, state);
    nextChosenFile = pathOf("start.csf");
    command(IDM_SOURCE_SAVE);
    setField("F R");
    nextChosenFile = pathOf("two.csq");
    command(IDM_SAVE_SEQUENCE);
    command(IDM_CLEAR_SEQUENCE);
    command(IDM_SOURCE_ASSEMBLE);
    const std::wstring omega = wide(folder) + L"\\\x03A9.csq";
    CopyFileW(wide(pathOf("two.csq")).c_str(), omega.c_str(), FALSE);
    writeFileBytes(pathOf("bad.csf"), {1, 2, 3});

    openCommandLineFiles(
        (L"cube.exe \"" + wide(pathOf("start.csf")) + L"\" \"" + omega + L"\"").c_str());
    EXPECT_EQ("F,R", field());
    EXPECT_TRUE(sameCube(state, viewState(App.sourceView)));
    EXPECT_EQ("Source Cube - start.csf", windowText(GetDlgItem(window, IDC_SOURCE_GROUP)));

    dropFiles(window, App.destinationView, {wide(pathOf("two.csq")), wide(pathOf("start.csf"))});
    EXPECT_TRUE(sameCube(state, viewState(App.destinationView)));
    EXPECT_EQ("Destination Cube - start.csf", windowText(GetDlgItem(window, IDC_DEST_GROUP)));
    EXPECT_EQ("Morvane's Cube Emulator - two.csq", windowText(window));

    command(IDM_DEST_ASSEMBLE);
    dropFiles(window, App.destinationView, {wide(pathOf("bad.csf")), wide(pathOf("two.txt"))});
    EnableWindow(window, FALSE);
    dropFiles(window, App.destinationView, {wide(pathOf("start.csf"))});
    EnableWindow(window, TRUE);
    EXPECT_TRUE(sameCube(SolvedCube, viewState(App.destinationView)));
    EXPECT_EQ("Destination Cube - start.csf", windowText(GetDlgItem(window, IDC_DEST_GROUP)));
}

// Both programs run as the user who started them, on Windows 7 to 11 as themselves, at the
// display's own scale.
TEST(Manifest, BothProgramsCarryIt) {
    char own[MAX_PATH];
    GetModuleFileNameA(nullptr, own, MAX_PATH);
    const std::string build = std::string(own).substr(0, std::string(own).rfind("\\tests\\"));
    for (const char* exe : {"\\app\\MorvaneCubeEmulator.exe", "\\cli\\cubesearch.exe"}) {
        HMODULE module = LoadLibraryExA((build + exe).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        HRSRC found =
            module ? FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) : nullptr;
        ASSERT_TRUE(found) << exe;
        const std::string text(static_cast<const char*>(LockResource(LoadResource(module, found))),
                               SizeofResource(module, found));
        for (const char* entry :
             {"level=\"asInvoker\"", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", ">PerMonitorV2<"})
            EXPECT_NE(std::string::npos, text.find(entry)) << exe << " " << entry;
        FreeLibrary(module);
    }
}
