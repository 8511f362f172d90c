// Whole files in and out; the only place that touches the file system.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

bool readWholeFile(const char* path, std::vector<uint8_t>* bytes);
bool writeWholeFile(const char* path, const std::vector<uint8_t>& bytes);

// Takes a new file's bytes to the disk before it replaces the target; tests watch it here.
using FileFlusher = BOOL(WINAPI*)(HANDLE file);
extern FileFlusher flushFile;
