// Whole files in and out; the only place that touches the file system.
#pragma once

#include <cstdint>
#include <vector>

bool readWholeFile(const char* path, std::vector<uint8_t>* bytes);
bool writeWholeFile(const char* path, const std::vector<uint8_t>& bytes);
