#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace Vesk::Platform
{

// Where the game keeps what it writes: $XDG_CONFIG_HOME (default ~/.config) for settings and
// $XDG_DATA_HOME (default ~/.local/share) for saves, the sound cache, screenshots and demos.
std::filesystem::path ConfigHome();
std::filesystem::path DataHome();

// Creates the folder and its missing parents; true when it exists afterwards.
[[nodiscard]] bool CreateFolders(const std::filesystem::path& folder);

// Writes the whole file or nothing: the bytes go to a temporary file beside the target, are
// flushed to the disk and then renamed over the target, so a crash or a full disk leaves the
// previous content intact. Creates missing folders of the path.
[[nodiscard]] bool WriteFileAtomically(const std::filesystem::path& path, const uint8_t* data, size_t size);
[[nodiscard]] inline bool WriteFileAtomically(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    return WriteFileAtomically(path, bytes.data(), bytes.size());
}

// Like WriteFileAtomically, but without waiting for the disk: for caches, which are checked when
// read and rebuilt when damaged. A reader never sees half a file, but after a power cut the
// file may be empty or missing.
[[nodiscard]] bool ReplaceCacheFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

// True only when the file system says that nothing is at the path. A file that cannot be
// opened or read, a folder, or a path whose folders cannot be searched all count as something.
[[nodiscard]] bool NothingAt(const std::filesystem::path& path);

// Call before replacing a file whose content must not be lost (a save that could not be read
// or used as it is): keeps what is at path under path + suffix, or under path + suffix + ".2",
// ".3" ... when that name is taken; nothing is ever replaced or deleted. A file is linked
// there, so path keeps its content until the replacing write renames the new one over it;
// what cannot be linked (a folder) is moved. True when it was kept or nothing is at path.
[[nodiscard]] bool KeepBeside(const std::filesystem::path& path, const std::string& suffix);

// Reads a whole file from the disk (not through the archive layer).
[[nodiscard]] bool ReadWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes);

// The folder holding the running executable (empty when unknown).
std::filesystem::path ProgramFolder();

} // namespace Vesk::Platform
