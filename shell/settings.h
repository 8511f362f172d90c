// The program's settings and side colours, and their registry storage.
#pragma once

#include "../engine/packedCube.h"

#include <cstdint>

enum : uint8_t {
    DisableSse2 = 0x01,
    ShowLabels = 0x02,
    DisableThreadedSearch = 0x04,
    PreserveColors = 0x08,
    FastSearch = 0x10,
};

enum : uint32_t {
    PriorityCount = 5,
    IdlePriorityIndex = 4,
    UndefinedColor = 0x00C0C0C0,
};

// Stored in the registry byte for byte: 13 bytes, little-endian, no gaps.
#pragma pack(push, 1)
struct AppSettings {
    uint32_t maxMoves;
    uint32_t priorityIndex;
    uint32_t updateInterval;
    uint8_t flags;
};
#pragma pack(pop)
static_assert(sizeof(AppSettings) == 13, "the registry value is 13 bytes");

// Six side colours (0x00BBGGRR) and the Undefined entry: 28 bytes in the registry.
struct SideColorTable {
    uint32_t colors[7];
};
static_assert(sizeof(SideColorTable) == 28, "the registry value is 28 bytes");

struct PriorityEntry {
    const char* caption;
    int threadPriority;
};

extern AppSettings Settings;
extern SideColorTable SideColors;
extern const uint32_t DefaultSideColors[6];
extern const PriorityEntry Priorities[PriorityCount];
extern const char* const SettingsKeyPath;

void setDefaultSettings();
void setDefaultColors();
bool loadSettings(const char* keyPath = SettingsKeyPath);
bool saveSettings(const char* keyPath = SettingsKeyPath);
