#include "fileIo.h"

#include <windows.h>

#include <string>

namespace {

// Far above any file the program writes; a larger one is not read into memory at all.
constexpr LONGLONG MaxFileBytes = 64 * 1024 * 1024;

bool writeAll(HANDLE file, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD chunk = DWORD(bytes.size() - done);
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace

bool readWholeFile(const char* path, std::vector<uint8_t>* bytes) {
    HANDLE file =
        CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart <= MaxFileBytes;
    if (ok) {
        bytes->assign(size_t(size.QuadPart), 0);
        DWORD read = 0;
        ok = bytes->empty() ||
             (ReadFile(file, bytes->data(), DWORD(bytes->size()), &read, nullptr) &&
              read == bytes->size());
    }
    CloseHandle(file);
    return ok;
}

// The bytes go to a fresh file beside the target, which then replaces the target in one step:
// a write that fails half way leaves no file behind and the old file as it was.
bool writeWholeFile(const char* path, const std::vector<uint8_t>& bytes) {
    const std::string temporary = std::string(path) + ".new~";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool written = writeAll(file, bytes);
    const bool closed = CloseHandle(file) != 0;
    if (written && closed &&
        MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(temporary.c_str());
    return false;
}
