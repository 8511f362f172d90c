#include "tableFile.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

std::string fileName(TableKind kind) {
    return kind == CornerTable ? "corners.table" : "edges-" + std::to_string(kind) + ".table";
}

std::FILE* openFile(const fs::path& path, bool write) {
#ifdef _WIN32
    return _wfopen(path.c_str(), write ? L"wb" : L"rb");
#else
    return std::fopen(path.c_str(), write ? "wb" : "rb");
#endif
}

// Whether the data reached the disk, not only the system's cache: a rename must never expose
// a file that a power cut would leave empty.
bool flushToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

void putWord(uint8_t* at, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        at[i] = uint8_t(value >> 8 * i);
}

uint64_t getWord(const uint8_t* at, int bytes) {
    uint64_t value = 0;
    for (int i = bytes; i-- > 0;)
        value = value << 8 | at[i];
    return value;
}

void makeHeader(uint8_t* header, TableKind kind, uint64_t entries, uint64_t bytes,
                uint64_t checksum) {
    std::memcpy(header, TableFileMagic, 8);
    putWord(header + 8, kind, 4);
    putWord(header + 12, TableFileVersion, 4);
    putWord(header + 16, entries, 8);
    putWord(header + 24, bytes, 8);
    putWord(header + 32, checksum, 8);
}

uint32_t processId() {
#ifdef _WIN32
    return uint32_t(_getpid());
#else
    return uint32_t(getpid());
#endif
}

// Reads in pieces, so that a pause or a stop is obeyed within a fraction of a second.
bool readPaused(std::FILE* file, uint8_t* into, uint64_t bytes, const TableBuildControl& control) {
    const uint64_t piece = uint64_t(8) << 20;
    if (control.total) *control.total = 1000;
    for (uint64_t at = 0; at < bytes; at += piece) {
        if (!waitWhilePaused(control)) return false;
        const size_t size = size_t(bytes - at < piece ? bytes - at : piece);
        if (std::fread(into + at, 1, size, file) != size) return false;
        if (control.done) *control.done = uint32_t(at * 1000 / bytes);
    }
    return true;
}

} // namespace

std::string tableFilePath(const std::string& folder, TableKind kind) {
    return (fs::u8path(folder) / fileName(kind)).u8string();
}

bool loadTableFile(const std::string& folder, TableKind kind, DistanceTable* table,
                   const TableBuildControl& control) {
    std::FILE* file = openFile(fs::u8path(tableFilePath(folder, kind)), false);
    if (!file) return false;
    const uint64_t entries = entriesOf(kind);
    const uint64_t bytes = (entries + 1) / 2;
    uint8_t header[TableHeaderBytes];
    bool whole = std::fread(header, 1, sizeof header, file) == sizeof header &&
                 std::memcmp(header, TableFileMagic, 8) == 0 && getWord(header + 8, 4) == kind &&
                 getWord(header + 12, 4) == TableFileVersion &&
                 getWord(header + 16, 8) == entries && getWord(header + 24, 8) == bytes;
    std::unique_ptr<uint8_t[]> nibbles;
    if (whole) {
        nibbles.reset(new (std::nothrow) uint8_t[bytes]);
        uint8_t extra;
        whole = nibbles && readPaused(file, nibbles.get(), bytes, control) &&
                std::fread(&extra, 1, 1, file) == 0 &&
                checksumOf(nibbles.get(), bytes) == getWord(header + 32, 8);
    }
    std::fclose(file);
    if (!whole) return false;
    table->nibbles = std::move(nibbles);
    table->entries = entries;
    table->standard = true;
    return true;
}

bool saveTableFile(const std::string& folder, TableKind kind, const DistanceTable& table) {
    std::error_code error;
    const fs::path dir = fs::u8path(folder);
    fs::create_directories(dir, error);
    static std::atomic<uint32_t> serial{0};
    const fs::path target = fs::u8path(tableFilePath(folder, kind));
    const fs::path temporary = dir / (fileName(kind) + "." + std::to_string(processId()) + "." +
                                      std::to_string(serial++) + ".tmp");
    std::FILE* file = openFile(temporary, true);
    if (!file) return false;
    uint8_t header[TableHeaderBytes];
    makeHeader(header, kind, table.entries, table.bytes(),
               checksumOf(table.nibbles.get(), table.bytes()));
    const bool written =
        std::fwrite(header, 1, sizeof header, file) == sizeof header &&
        std::fwrite(table.nibbles.get(), 1, table.bytes(), file) == table.bytes() &&
        flushToDisk(file);
    const bool closed = std::fclose(file) == 0;
    if (written && closed) {
        fs::rename(temporary, target, error);
        if (!error) return true;
    }
    fs::remove(temporary, error);
    return false;
}

std::string defaultTableFolder() {
#ifdef _WIN32
    const wchar_t* base = _wgetenv(L"LOCALAPPDATA");
    if (!base || !*base) return {};
    return (fs::path(base) / L"Brackenfold" / L"MorvaneCubeEmulator").u8string();
#else
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/') return (fs::path(cache) / "MorvaneCubeEmulator").string();
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') return {};
    return (fs::path(home) / ".cache" / "MorvaneCubeEmulator").string();
#endif
}
