#include "settings.h"

#include <windows.h>

#include <cstring>

AppSettings Settings;
SideColorTable SideColors;

const uint32_t DefaultSideColors[6] = {0x0000F000, 0x000000F0, 0x00F0F000,
                                       0x00FF2020, 0x00FFFFFF, 0x0000F0F0};

const PriorityEntry Priorities[PriorityCount] = {
    {"Time Critical", THREAD_PRIORITY_TIME_CRITICAL},
    {"High", THREAD_PRIORITY_HIGHEST},
    {"Normal", THREAD_PRIORITY_NORMAL},
    {"Low", THREAD_PRIORITY_LOWEST},
    {"Idle", THREAD_PRIORITY_IDLE},
};

const char* const SettingsKeyPath = "Software\\Brackenfold\\MorvaneCubeEmulator";

void setDefaultSettings() {
    Settings.maxMoves = MaxExecuteMoves;
    Settings.priorityIndex = IdlePriorityIndex;
    Settings.updateInterval = 0;
    Settings.flags = 0;
}

void setDefaultColors() {
    std::memcpy(SideColors.colors, DefaultSideColors, sizeof DefaultSideColors);
    SideColors.colors[6] = UndefinedColor;
}

namespace {

// Reads a binary value of exactly the given size into a scratch buffer first, so a value of
// another type or size never overwrites what the program holds.
bool queryExactBinary(HKEY key, const char* name, void* out, DWORD size) {
    BYTE buffer[64];
    DWORD type = 0, got = sizeof buffer;
    if (RegQueryValueExA(key, name, nullptr, &type, buffer, &got) != ERROR_SUCCESS) return false;
    if (type != REG_BINARY || got != size) return false;
    std::memcpy(out, buffer, size);
    return true;
}

// Values that index tables or bound the search are brought into range; a hand-edited registry
// must not make the program read past the priority table or search beyond 876 moves.
void sanitizeSettings(AppSettings* s) {
    if (s->priorityIndex >= PriorityCount) s->priorityIndex = IdlePriorityIndex;
    if (s->maxMoves > MaxExecuteMoves) s->maxMoves = MaxExecuteMoves;
}

} // namespace

bool loadSettings(const char* keyPath) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    AppSettings read;
    const bool ok = queryExactBinary(key, "Settings", &read, sizeof read);
    if (ok) {
        sanitizeSettings(&read);
        Settings = read;
    }
    if (Settings.flags & PreserveColors) {
        SideColorTable colors;
        if (queryExactBinary(key, "Colors", &colors, sizeof colors)) SideColors = colors;
    }
    RegCloseKey(key);
    return ok;
}

bool saveSettings(const char* keyPath) {
    HKEY key;
    DWORD disposition;
    char keyClass[] = "REG_SZ";
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, keyClass, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, &disposition) != ERROR_SUCCESS)
        return false;
    if (Settings.flags & PreserveColors) {
        RegSetValueExA(key, "Colors", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&SideColors),
                       sizeof SideColors);
    }
    const bool ok =
        RegSetValueExA(key, "Settings", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&Settings),
                       sizeof Settings) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}
