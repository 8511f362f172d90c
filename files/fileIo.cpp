#include "fileIo.h"
#include "sequenceFormat.h"

#include <windows.h>

#include <new>
#include <string>

namespace {

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

// The target as a full path in the "\\?\" form, which the wide calls take at any length: a
// name beside a target that already fills MAX_PATH does not fit the ANSI calls.
std::wstring extendedPath(const char* path) {
    const int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
    if (length <= 1) return {};
    std::wstring wide(size_t(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path, -1, &wide[0], length);
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return {};
    std::wstring full(needed, L'\0');
    const DWORD got = GetFullPathNameW(wide.c_str(), needed, &full[0], nullptr);
    if (got == 0 || got >= needed) return {};
    full.resize(got);
    if (full.compare(0, 4, L"\\\\?\\") == 0) return full;
    if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// A new file of its own in the target's folder, with the attributes the replaced file had.
// CREATE_NEW never opens a file that is already there, so nothing the program did not write is
// ever truncated or removed.
HANDLE createTemporaryBeside(const std::wstring& target, DWORD attributes, std::wstring* name) {
    const std::wstring folder = target.substr(0, target.find_last_of(L'\\') + 1);
    const DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 12);
    for (DWORD attempt = 0; attempt < 64; ++attempt) {
        wchar_t leaf[24];
        wsprintfW(leaf, L"~cube%08lX.tmp", static_cast<unsigned long>(seed + attempt * 7919));
        *name = folder + leaf;
        HANDLE file =
            CreateFileW(name->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr);
        if (file != INVALID_HANDLE_VALUE) return file;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    return INVALID_HANDLE_VALUE;
}

} // namespace

FileFlusher flushFile = FlushFileBuffers;

// Through the same long form as the save, so every path that saves also loads.
bool readWholeFile(const char* path, std::vector<uint8_t>* bytes) {
    HANDLE file = INVALID_HANDLE_VALUE;
    try {
        const std::wstring source = extendedPath(path);
        if (source.empty()) return false;
        file = CreateFileW(source.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart <= MaxFileBytes;
    try {
        if (ok) bytes->assign(size_t(size.QuadPart), 0);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    if (ok) {
        DWORD read = 0;
        ok = bytes->empty() ||
             (ReadFile(file, bytes->data(), DWORD(bytes->size()), &read, nullptr) &&
              read == bytes->size());
    }
    CloseHandle(file);
    return ok;
}

// The bytes go to a fresh file beside the target, which then replaces the target in one step:
// a write that fails half way leaves no file behind and the old file as it was. The bytes are
// on the disk before the rename, so a power cut cannot leave an empty target. A read-only
// target is the user's "do not change": it is refused, as a folder is.
bool writeWholeFile(const char* path, const std::vector<uint8_t>& bytes) {
    try {
        const std::wstring target = extendedPath(path);
        if (target.empty()) return false;
        const DWORD found = GetFileAttributesW(target.c_str());
        DWORD attributes = FILE_ATTRIBUTE_NORMAL;
        if (found != INVALID_FILE_ATTRIBUTES) {
            if (found & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
            attributes = found & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
            if (!attributes) attributes = FILE_ATTRIBUTE_NORMAL;
        }
        std::wstring temporary;
        HANDLE file = createTemporaryBeside(target, attributes, &temporary);
        if (file == INVALID_HANDLE_VALUE) return false;
        const bool written = writeAll(file, bytes) && flushFile(file);
        const bool closed = CloseHandle(file) != 0;
        if (written && closed &&
            MoveFileExW(temporary.c_str(), target.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        DeleteFileW(temporary.c_str());
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}
