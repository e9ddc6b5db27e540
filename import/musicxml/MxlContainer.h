#pragma once
// Compressed MusicXML (.mxl): a zip archive whose META-INF/container.xml names the score.

#include <cstddef>
#include <cstdint>
#include <vector>

// Limits on a hostile archive, checked against its directory before anything is unpacked.
constexpr int64_t kMaxMxlEntries = 1000;
constexpr uint64_t kMaxMxlEntryBytes = 64ull << 20;

// True when the bytes start like a zip archive.
bool LooksLikeZip(const std::vector<uint8_t>& bytes);

// Unpacks the root file named by the container. False for a broken or oversized archive,
// a missing container or a root file that is not in it.
bool UnpackMxlRootFile(const std::vector<uint8_t>& archive, std::vector<uint8_t>& rootFile);
