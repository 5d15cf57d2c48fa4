// Whole files in and out. Output goes to a temporary file beside the target
// and is renamed over it only when complete, so a failed run leaves no
// partial file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes,
                    std::string& error);
