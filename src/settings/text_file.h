#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Whole-file reads and atomic whole-file replacement for the files beside the program. The settings and list
// files are GBK on disk; the text functions convert at this boundary so everything inside stays UTF-8.
namespace dealcast::settings {

// The file's bytes; nullopt when it does not exist or cannot be read.
std::optional<std::string> readFileBytes(const std::filesystem::path& path);

// Replaces the file with `bytes` so that a reader sees either the old or the new content, never a mix, and a
// failed write leaves the old file as it was: the bytes go to a temporary file in the same folder, are flushed
// to disk, and the temporary file is renamed over the target. Missing parent folders are created. A new file
// is readable by its owner only (the settings hold the enciphered account and the access token); an existing
// file keeps its permissions. Returns false on any failure, leaving no temporary file behind.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// The file's text as UTF-8: GBK bytes are converted; a file that starts with the UTF-8 byte-order mark (saved
// by a text editor) is read as UTF-8 without it. nullopt when the file does not exist or cannot be read.
std::optional<std::string> readTextFile(const std::filesystem::path& path);

// Writes UTF-8 `text` as GBK without a byte-order mark (a character without a GBK form becomes "?").
bool writeTextFile(const std::filesystem::path& path, std::string_view text);

}  // namespace dealcast::settings
