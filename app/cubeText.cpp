#include "cubeText.h"
#include "../shell/clipboard.h"
#include "../shell/messageBox.h"
#include "../shell/shell.h"
#include "../cubeview/cubeView.h"
#include "../engine/cubies.h"
#include "../engine/notation.h"
#include "../engine/randomState.h"
#include "../engine/standardNotation.h"

#include <algorithm>
#include <cctype>
#include <new>
#include <string>
#include <vector>

namespace {

void warn(const std::string& text) {
    showMessageBox(App.mainWindow, text.c_str(), ProgramTitle, MB_ICONEXCLAMATION | MB_OK);
}

void showState(HWND view, const PackedCube& state) {
    SendMessageA(view, CCM_SETSTATE, 1, reinterpret_cast<LPARAM>(&state));
}

const char* reasonText(Unreachable reason) {
    switch (reason) {
        case Unreachable::Pieces:
            return "its colours do not make the pieces of one cube";
        case Unreachable::Twist:
            return "a corner cubelet is twisted in place";
        case Unreachable::Flip:
            return "an edge cubelet is flipped in place";
        default:
            return "two pieces are swapped (the parity is wrong)";
    }
}

// A command that cannot get the memory for its text does nothing, as any other command.
template <class Action> void unlessOutOfMemory(Action action) {
    try {
        action();
    } catch (const std::bad_alloc&) {
    }
}

} // namespace

// Inserted where the caret is, replacing the selection, as typing would; the field's change
// notice follows as for typing.
void onPasteStandardNotation() {
    unlessOutOfMemory([] {
        std::string text;
        if (!readClipboardText(App.mainWindow, &text)) return;
        const StandardMoves moves = parseStandardMoves(text.c_str());
        if (!moves.refused.empty()) {
            warn("The moves were not pasted: \"" + moves.refused +
                 "\" is not a turn of one outer side.\r\nThis program turns only the six outer "
                 "sides; wide turns, slices and rotations have no place on its cubes.");
            return;
        }
        if (moves.codes.empty()) return;
        std::vector<char> translated(3 * moves.codes.size() + 1);
        formatMoveText(moves.codes.data(), translated.data(), uint32_t(moves.codes.size()));
        SendMessageA(App.sequenceField, EM_REPLACESEL, TRUE,
                     reinterpret_cast<LPARAM>(translated.data()));
    });
}

void onCopyStandardNotation() {
    unlessOutOfMemory([] {
        MoveCode codes[ScratchMoveCount + 1];
        uint32_t count = 0;
        if (!readFieldMoves(App.sequenceField, codes, &count) || count == 0) return;
        writeClipboardText(App.mainWindow, formatStandardMoves(codes, count));
    });
}

void onCopyCubeText(HWND view) {
    unlessOutOfMemory([view] {
        PackedCube state;
        SendMessageA(view, CCM_GETSTATE, 0, reinterpret_cast<LPARAM>(&state));
        const std::string facelets = faceletsOf(state);
        if (!facelets.empty()) writeClipboardText(App.mainWindow, facelets);
    });
}

// Blanks and line breaks anywhere are passed over, as strings are often written in groups of
// nine. Any colouring is taken; one no turns reach is taken with a warning that says why.
void onPasteCubeText(HWND view) {
    unlessOutOfMemory([view] {
        std::string text;
        if (!readClipboardText(App.mainWindow, &text)) return;
        text.erase(
            std::remove_if(text.begin(), text.end(),
                           [](char c) { return std::isspace(static_cast<unsigned char>(c)); }),
            text.end());
        PackedCube state;
        switch (cubeFromFacelets(text, &state)) {
            case FaceletFault::None:
                break;
            case FaceletFault::Length:
                return warn("The cube was not pasted: the text is not 54 letters.");
            case FaceletFault::Letter:
                return warn(
                    "The cube was not pasted: the text holds a letter other than U, R, F, D, "
                    "L and B.");
            case FaceletFault::Centres:
                return warn("The cube was not pasted: the centres (the fifth letter of each nine) "
                            "are not U, R, F, D, L and B in that order.");
        }
        showState(view, state);
        const Unreachable reason = whyUnreachable(state);
        if (reason != Unreachable::None)
            warn(std::string("The cube was pasted, but no turns of the assembled cube make it: ") +
                 reasonText(reason) + ".");
    });
}

void onRandomState(HWND view) {
    showState(view, randomState(freshSeed()));
}
