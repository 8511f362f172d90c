#include "stateFile.h"
#include "fileDialogs.h"
#include "fileIo.h"
#include "stateFormat.h"
#include "../shell/currentSequence.h"
#include "../shell/resource.h"
#include "../shell/settings.h"
#include "../shell/shell.h"
#include "../cubeview/cubeView.h"
#include "../engine/sequenceStore.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

// Only the source cube carries colours and comment; its colours are the view's own.
int writeCubeStateFile(const char* path, HWND view) {
    const bool source = view == App.sourceView;
    PackedCube state;
    SendMessageA(view, CCM_GETSTATE, 0, reinterpret_cast<LPARAM>(&state));
    COLORREF viewColors[6];
    SendMessageA(view, CCM_GETCOLORS, 0, reinterpret_cast<LPARAM>(viewColors));
    const void* colors = source ? viewColors : nullptr;
    const char* comment = source ? CubeComment.text : nullptr;
    try {
        return writeWholeFile(path, buildStateFile(colors, state, comment)) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

// The whole file is checked and copied before anything is applied: one that cannot be held in
// memory is refused like a bad one.
bool readCubeStateContent(const char* path, StateContent* content) {
    std::vector<uint8_t> bytes;
    StateFileParts parts;
    try {
        if (!readWholeFile(path, &bytes) || !parseStateFile(bytes.data(), bytes.size(), &parts))
            return false;
        std::memcpy(content->state.bytes, parts.state, sizeof content->state.bytes);
        content->hasColors = parts.colors != nullptr;
        if (parts.colors) std::memcpy(content->colors, parts.colors, sizeof content->colors);
        content->hasComment = parts.comment != nullptr;
        content->commentLength = parts.commentLength;
        if (parts.comment) {
            content->comment.assign(size_t(parts.commentLength) + 1, '\0');
            std::memcpy(content->comment.data(), parts.comment, parts.commentLength);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// The comment is stored first: a file whose comment cannot be kept changes nothing.
int readCubeStateFile(const char* path, HWND view) {
    const bool source = view == App.sourceView;
    StateContent content;
    if (!readCubeStateContent(path, &content)) return 0;
    if (source && content.hasComment &&
        !takeCubeComment(content.comment.data(), content.commentLength))
        return 0;
    if (source && content.hasColors) {
        std::memcpy(SideColors.colors, content.colors, sizeof content.colors);
        SendMessageA(view, CCM_SETCOLORS, 0, reinterpret_cast<LPARAM>(SideColors.colors));
    }
    SendMessageA(view, CCM_SETSTATE, 0, reinterpret_cast<LPARAM>(&content.state));
    InvalidateRect(view, nullptr, TRUE);
    UpdateWindow(view);
    return 1;
}

namespace {

char* rememberedName(bool source) {
    return source ? SourceCubeFileName : DestinationCubeFileName;
}

HWND viewFor(bool source) {
    return source ? App.sourceView : App.destinationView;
}

void updateFrameCaption(bool source) {
    const char* name = fileNamePart(rememberedName(source), DialogNameSize);
    if (!name) return;
    char caption[RememberedNameSize + 32];
    std::snprintf(caption, sizeof caption, "%s - %s", source ? "Source Cube" : "Destination Cube",
                  name);
    SetDlgItemTextA(App.mainWindow, source ? IDC_SOURCE_GROUP : IDC_DEST_GROUP, caption);
}

} // namespace

bool loadCubeFile(const char* path, bool source) {
    char* name = rememberedName(source);
    if (std::strlen(path) >= RememberedNameSize || !readCubeStateFile(path, viewFor(source)))
        return false;
    if (path != name) std::strcpy(name, path);
    updateFrameCaption(source);
    return true;
}

void onLoadCube(bool source) {
    char* name = rememberedName(source);
    ChosenName chosen(name);
    if (!openFileChooser(App.mainWindow, name, "Open Cube State File", CubeStateFiles) ||
        !loadCubeFile(name, source))
        return;
    chosen.keep();
}

void onSaveCube(bool source, bool alwaysAsk) {
    char* name = rememberedName(source);
    ChosenName chosen(name);
    if (alwaysAsk || name[0] == '\0') {
        if (!saveFileChooser(App.mainWindow, name, "Save Cube State File", CubeStateFiles)) return;
    }
    if (!writeCubeStateFile(name, viewFor(source))) return;
    chosen.keep();
    updateFrameCaption(source);
}
