#include "siblings/glo/database_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace glo_store {

bool writeFolderFile(const std::string& path, const std::vector<Partition>& partitions) {
  std::vector<std::int32_t> words(kHeaderWords + kEntryWords * partitions.size(), 0);
  for (std::size_t p = 0; p < partitions.size(); ++p) {
    const Partition& part = partitions[p];
    std::int32_t* entry = &words[kHeaderWords + kEntryWords * p];
    entry[0] = part.number;
    entry[1] = part.instance;
    entry[2] = part.key;
    entry[3] = static_cast<std::int32_t>(part.blocks.size());
    entry[4] = static_cast<std::int32_t>(words.size());
    const std::size_t table = words.size();
    words.resize(table + 2 * part.blocks.size(), 0);
    for (std::size_t b = 0; b < part.blocks.size(); ++b) {
      words[table + 2 * b] = static_cast<std::int32_t>(words.size());
      words[table + 2 * b + 1] = static_cast<std::int32_t>(part.blocks[b].size());
      words.insert(words.end(), part.blocks[b].begin(), part.blocks[b].end());
    }
  }
  words[0] = kMagic;
  words[1] = kVersion;
  words[2] = static_cast<std::int32_t>(words.size());
  words[3] = static_cast<std::int32_t>(partitions.size());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(words.data()), static_cast<std::streamsize>(words.size() * 4));
  return static_cast<bool>(out);
}

namespace {

// True when [position, position + count) lies inside total words; no sum that could overflow.
bool inside(std::int64_t position, std::int64_t count, std::int64_t total) {
  return position >= 0 && count >= 0 && position <= total && count <= total - position;
}

bool parse(const std::vector<std::int32_t>& words, std::vector<Partition>& partitions, std::string& reason) {
  const auto total = static_cast<std::int64_t>(words.size());
  if (total < static_cast<std::int64_t>(kHeaderWords) || words[0] != kMagic) return reason = "NOT A DATABASE FILE", false;
  if (words[1] != kVersion) return reason = "UNKNOWN DATABASE VERSION", false;
  if (words[2] != total) return reason = "FILE LENGTH DIFFERS FROM ITS TABLE OF CONTENTS", false;
  const std::int64_t count = words[3];
  if (count < 0 || !inside(kHeaderWords, count * static_cast<std::int64_t>(kEntryWords), total))
    return reason = "TABLE OF CONTENTS RUNS PAST THE END", false;
  partitions.resize(static_cast<std::size_t>(count));
  for (std::int64_t p = 0; p < count; ++p) {
    const std::int32_t* entry = &words[kHeaderWords + kEntryWords * static_cast<std::size_t>(p)];
    Partition& part = partitions[static_cast<std::size_t>(p)];
    part.number = entry[0];
    part.instance = entry[1];
    part.key = entry[2];
    const std::int64_t blocks = entry[3];
    const std::int64_t table = entry[4];
    if (blocks < 0 || !inside(table, 2 * blocks, total)) return reason = "BLOCK TABLE RUNS PAST THE END", false;
    part.blocks.resize(static_cast<std::size_t>(blocks));
    for (std::int64_t b = 0; b < blocks; ++b) {
      const std::int64_t position = words[static_cast<std::size_t>(table + 2 * b)];
      const std::int64_t length = words[static_cast<std::size_t>(table + 2 * b + 1)];
      if (!inside(position, length, total)) return reason = "BLOCK RUNS PAST THE END", false;
      part.blocks[static_cast<std::size_t>(b)].assign(words.begin() + position, words.begin() + position + length);
    }
  }
  return true;
}

}  // namespace

bool readFolderFile(const std::string& path, std::vector<Partition>& partitions, std::string& reason, bool& missing) {
  partitions.clear();
  missing = false;
  std::error_code error;
  if (path.empty() || !std::filesystem::is_regular_file(path, error)) {
    missing = true;
    reason = "FILE NOT FOUND";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  const auto bytes = std::filesystem::file_size(path, error);
  if (!in || error) return reason = "FILE CANNOT BE READ", false;
  if (bytes % 4 != 0) return reason = "FILE LENGTH IS NOT A WHOLE NUMBER OF WORDS", false;
  std::vector<std::int32_t> words(bytes / 4);
  in.read(reinterpret_cast<char*>(words.data()), static_cast<std::streamsize>(bytes));
  if (!in) return reason = "FILE CANNOT BE READ", false;
  if (!parse(words, partitions, reason)) {
    partitions.clear();
    return false;
  }
  return true;
}

}  // namespace glo_store
