// The file form of one folder of the block store.
//
// Words of 4 bytes: the magic word, the version, the file's length in words, the number of
// partitions P; P entries of five words (number, instance, key, block count B, word position of
// the block table); per partition a block table of B pairs (word position, length). Positions
// count words from 0. Everything is checked against the file's length before use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace glo_store {

inline constexpr std::int32_t kMagic = 0x4244535A;  // "ZSDB"
inline constexpr std::int32_t kVersion = 1;
inline constexpr std::size_t kHeaderWords = 4;
inline constexpr std::size_t kEntryWords = 5;

struct Partition {
  std::int32_t number = 0;
  std::int32_t instance = 0;
  std::int32_t key = 0;
  std::vector<std::vector<std::int32_t>> blocks;  // block b is blocks[b - 1]
};

// Writes the partitions into a file; false when it cannot be written.
bool writeFolderFile(const std::string& path, const std::vector<Partition>& partitions);

// Reads a file; false (partitions empty, reason set) when it is missing, unreadable or damaged.
bool readFolderFile(const std::string& path, std::vector<Partition>& partitions, std::string& reason, bool& missing);

}  // namespace glo_store
