#include "mainWindow.h"
#include "../shell/currentSequence.h"
#include "../shell/shell.h"
#include "commentDialog.h"
#include "cubeHistory.h"
#include "cubeText.h"
#include "helpMenu.h"
#include "optionsDialog.h"
#include "../shell/resource.h"
#include "../shell/settings.h"
#include "sideColoringDialog.h"
#include "../cubeview/cubeView.h"
#include "../engine/notation.h"
#include "../engine/runtimeFlags.h"
#include "../engine/sequenceStore.h"
#include "../files/recorder.h"
#include "../files/sequenceFile.h"
#include "../files/stateFile.h"
#include "../search/searchJob.h"

#include <cstring>
#include <new>
#include <initializer_list>

namespace {

// The comment changes only on OK; an absent comment first becomes the empty text, so the
// dialog always has one to show.
void editComment(CommentBuffer* comment, const char* title) {
    if (!comment->text && !setCommentText(comment, "", 1)) return;
    CommentEdit edit = {title, {}};
    try {
        edit.text = comment->text;
    } catch (const std::bad_alloc&) {
        return;
    }
    if (runCommentDialog(App.mainWindow, &edit))
        setCommentText(comment, edit.text.c_str(), uint32_t(edit.text.size()) + 1);
}

// Scratch of the commands, user-interface thread only.
alignas(16) PackedCube sourceState;
alignas(16) PackedCube destinationState;
char sequenceText[SequenceTextSize];
MoveCode scratchMoves[ScratchMoveCount + 1];
char optimizedText[3 * ScratchMoveCount + 4];

// The views draw their labels from the settings, so the whole window is repainted.
void storeOptions(const AppSettings& values, bool save) {
    Settings = values;
    if (save) saveSettings();
    RedrawWindow(App.mainWindow, nullptr, nullptr,
                 RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void editOptions() {
    OptionsEdit edit = {Settings, (RuntimeFlags & Sse2Available) != 0, storeOptions};
    showOptionsDialog(App.mainWindow, &edit);
}

void fetchState(HWND view, PackedCube* state) {
    SendMessageA(view, CCM_GETSTATE, 0, reinterpret_cast<LPARAM>(state));
}

void putState(HWND view, const PackedCube* state) {
    SendMessageA(view, CCM_SETSTATE, 1, reinterpret_cast<LPARAM>(state));
}

void onDefaultSequence() {
    confirmStopRecording();
    if (!setCurrentSequence(DefaultSequence, sizeof DefaultSequence, DefaultSequenceLength)) return;
    showSequence(App.sequenceField, CurrentSequence.block, CurrentSequence.length);
}

void onAssemble(HWND view) {
    confirmStopRecording();
    putState(view, &SolvedCube);
}

void onCopy(HWND from, HWND to) {
    confirmStopRecording();
    fetchState(from, &sourceState);
    putState(to, &sourceState);
}

void onSwap() {
    confirmStopRecording();
    fetchState(App.sourceView, &sourceState);
    fetchState(App.destinationView, &destinationState);
    putState(App.sourceView, &destinationState);
    putState(App.destinationView, &sourceState);
}

// The source view never changes; an empty field is the empty sequence, a plain copy.
void onExecute() {
    confirmStopRecording();
    const int length = readFieldStart(App.sequenceField, sequenceText);
    if (length < 0) return;
    fetchState(App.sourceView, &sourceState);
    if (length > 0) {
        const uint32_t count = parseMoveText(scratchMoves, sequenceText, ScratchMoveCount);
        if (count == 0) return;
        executeSequence(scratchMoves, count, &sourceState, useSse2());
    }
    putState(App.destinationView, &sourceState);
}

// Only the field changes: the stored sequence, file name and title stay.
void onOptimize() {
    confirmStopRecording();
    if (readFieldStart(App.sequenceField, sequenceText) <= 0) return;
    uint32_t count = parseMoveText(scratchMoves, sequenceText, ScratchMoveCount);
    if (count == 0) return;
    count = optimizeMoves(scratchMoves, count);
    formatMoveText(scratchMoves, optimizedText, count);
    SetWindowTextA(App.sequenceField, optimizedText);
}

void onFindSequence() {
    confirmStopRecording();
    startSearch();
}

void onDefaultColoring() {
    setDefaultColors();
    for (HWND view : {App.sourceView, App.destinationView})
        SendMessageA(view, CCM_SETCOLORS, 0, reinterpret_cast<LPARAM>(SideColors.colors));
    InvalidateRect(App.mainWindow, nullptr, TRUE);
    RedrawWindow(App.mainWindow, nullptr, nullptr,
                 RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// Every command but the recording ones and the settings asks first whether to stop recording.
void guarded(void (*action)()) {
    confirmStopRecording();
    action();
}

} // namespace

void onMainCommand(HWND, int id, HWND control, UINT code) {
    // Typing, pasting and other commands' changes of the field, but not the recorder's own.
    if (id == IDC_SEQUENCE && code == EN_CHANGE) {
        if (Recorder.writing) return;
        confirmStopRecording();
        if (Recorder.on) takeFieldAsRecorded();
        return;
    }
    // Matched on the whole command word: 0 from a menu item or the button, and 1 without a
    // control only from the keyboard shortcuts of Undo and Redo.
    const bool shortcut = code == 1 && !control && (id == IDM_UNDO || id == IDM_REDO);
    if (code != 0 && !shortcut) return;
    switch (id) {
        case IDM_LOAD_SEQUENCE:
            guarded(onLoadSequence);
            break;
        case IDM_SAVE_SEQUENCE:
            guarded([] { saveSequence(false, true); });
            break;
        case IDM_SAVE_SEQUENCE_AS:
            guarded([] { saveSequence(true, true); });
            break;
        case IDM_CLEAR_SEQUENCE:
            guarded(clearSequence);
            break;
        case IDM_RECORD_SEQUENCE:
            startRecording();
            break;
        case IDM_STOP_RECORDING:
            confirmStopRecording();
            break;
        case IDM_PASTE_STANDARD:
            onPasteStandardNotation();
            break;
        case IDM_COPY_STANDARD:
            onCopyStandardNotation();
            break;
        case IDM_SOURCE_LOAD:
            guarded([] { onLoadCube(true); });
            break;
        case IDM_SOURCE_SAVE:
            guarded([] { onSaveCube(true, false); });
            break;
        case IDM_SOURCE_SAVE_AS:
            guarded([] { onSaveCube(true, true); });
            break;
        case IDM_DEST_LOAD:
            guarded([] { onLoadCube(false); });
            break;
        case IDM_DEST_SAVE:
            guarded([] { onSaveCube(false, false); });
            break;
        case IDM_DEST_SAVE_AS:
            guarded([] { onSaveCube(false, true); });
            break;
        case IDM_DEFAULT_SEQUENCE:
            onDefaultSequence();
            break;
        case IDM_SOURCE_ASSEMBLE:
            onAssemble(App.sourceView);
            break;
        case IDM_SOURCE_COPY:
            onCopy(App.sourceView, App.destinationView);
            break;
        case IDM_SOURCE_COPY_TEXT:
        case IDM_DEST_COPY_TEXT:
            onCopyCubeText(id == IDM_SOURCE_COPY_TEXT ? App.sourceView : App.destinationView);
            break;
        case IDM_SOURCE_PASTE_TEXT:
        case IDM_DEST_PASTE_TEXT:
            confirmStopRecording();
            onPasteCubeText(id == IDM_SOURCE_PASTE_TEXT ? App.sourceView : App.destinationView);
            break;
        case IDM_SOURCE_RANDOM:
        case IDM_DEST_RANDOM:
            confirmStopRecording();
            onRandomState(id == IDM_SOURCE_RANDOM ? App.sourceView : App.destinationView);
            break;
        case IDM_DEST_ASSEMBLE:
            onAssemble(App.destinationView);
            break;
        case IDM_DEST_COPY:
            onCopy(App.destinationView, App.sourceView);
            break;
        case IDM_EXECUTE_SEQUENCE:
        case IDC_EXECUTE:
            onExecute();
            break;
        case IDM_OPTIMIZE_SEQUENCE:
            onOptimize();
            break;
        case IDM_SWAP_CUBES:
            onSwap();
            break;
        case IDM_DEFAULT_COLORING:
            onDefaultColoring();
            break;
        case IDM_SAVE_SETTINGS:
            saveSettings();
            break;
        case IDM_FIND_SEQUENCE:
            onFindSequence();
            break;
        case IDM_SIDES_COLORING:
            showSideColoringDialog(App.mainWindow);
            break;
        case IDM_SEQUENCE_COMMENT:
            editComment(&SequenceComment, "Sequence Comment Dialog");
            break;
        case IDM_CUBE_COMMENT:
            editComment(&CubeComment, "Cube Comment Dialog");
            break;
        case IDM_OPTIONS:
            editOptions();
            break;
        case IDM_HELP:
            openHelpWindow(App.mainWindow);
            break;
        case IDM_ABOUT:
            showAboutBox(App.mainWindow);
            break;
        case IDM_UNDO:
            guarded(undoCubeChange);
            break;
        case IDM_REDO:
            guarded(redoCubeChange);
            break;
    }
    noteCubeChange();
}
