#include "programWindow.h"
#include "mainWindow.h"
#include "sequenceFile.h"
#include "sequenceStore.h"
#include "stateFile.h"
#include "runtimeFlags.h"

#include <fstream>

std::string ProgramWindow::nextChosenFile;
std::vector<std::string> ProgramWindow::dialogTitles;
int ProgramWindow::nextAnswer = IDCANCEL;
std::vector<std::string> ProgramWindow::questions;

namespace {

bool answerFileDialog(HWND, char* path, const char* title, const FileKind&) {
    ProgramWindow::dialogTitles.push_back(title);
    if (ProgramWindow::nextChosenFile.empty()) return false;
    lstrcpynA(path, ProgramWindow::nextChosenFile.c_str(), DialogNameSize);
    return true;
}

int WINAPI answerQuestion(HWND, LPCSTR text, LPCSTR, UINT) {
    ProgramWindow::questions.push_back(text);
    return ProgramWindow::nextAnswer;
}

} // namespace

void ProgramWindow::SetUp() {
    registerProgramClasses();
    setDefaultSettings();
    setDefaultColors();
    RuntimeFlags &= uint8_t(~(Recording | RecorderWriting));
    openFileChooser = answerFileDialog;
    saveFileChooser = answerFileDialog;
    showMessageBox = answerQuestion;
    nextChosenFile.clear();
    dialogTitles.clear();
    nextAnswer = IDCANCEL;
    questions.clear();
    SequenceFileName[0] = SourceCubeFileName[0] = DestinationCubeFileName[0] = '\0';

    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    folder = std::string(temp) + "cubeTests-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);

    window = createMainWindow(testInstance());
    ASSERT_NE(nullptr, window);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    pumpMessages();
}

void ProgramWindow::TearDown() {
    RuntimeFlags &= uint8_t(~(Recording | RecorderWriting));
    destroyMainWindow(window);
    freeSequenceRecord(&CurrentSequence);
    freeCommentBuffer(&SequenceComment);
    freeCommentBuffer(&CubeComment);
    openFileChooser = chooseOpenFile;
    saveFileChooser = chooseSaveFile;
    showMessageBox = MessageBoxA;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            DeleteFileA(pathOf(found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

std::vector<uint8_t> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

bool fileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
