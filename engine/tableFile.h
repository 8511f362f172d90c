// The deep search's shared tables on disk: a header naming kind, version and size, a checksum,
// then the table; anything that does not check out is never used.
#pragma once

#include "pruningTables.h"

#include <string>

constexpr uint32_t TableFileVersion = 1;
constexpr char TableFileMagic[8] = {'M', 'C', 'E', 'T', 'A', 'B', 'L', 'E'};
constexpr uint32_t TableHeaderBytes = 40;

// The file's path in folder (UTF-8).
std::string tableFilePath(const std::string& folder, TableKind kind);

// True when the file is there, whole and of this kind and version; table gets its distances.
// Reading waits while control says paused and gives up when it says stop.
bool loadTableFile(const std::string& folder, TableKind kind, DistanceTable* table,
                   const TableBuildControl& control);

// Writes through a temporary file in the same folder and a rename, so a reader never sees half
// a table. False when the folder cannot be made or written.
bool saveTableFile(const std::string& folder, TableKind kind, const DistanceTable& table);

// Where the shared tables are kept for this user: under LOCALAPPDATA on Windows, under
// XDG_CACHE_HOME or ~/.cache elsewhere; empty when neither is known.
std::string defaultTableFolder();
