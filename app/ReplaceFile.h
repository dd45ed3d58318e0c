#pragma once

#include <filesystem>
#include <string>

// Writes content to path through tempPath, a file in the same folder that is flushed to the disk
// and then renamed over path, so a crash or a full disk never leaves a half-written file behind.
// Returns "" on success, else the system's reason (the temporary file is then gone).
std::string ReplaceFile(const std::filesystem::path& path, const std::filesystem::path& tempPath,
                        const std::string& content);
