#include "runtime/address_space.h"

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "runtime/report.h"

namespace mem32 {
namespace detail {
constinit HotBlock gHot{};
}

namespace {

// Words start well above 0 so that small integers (counts, flags) are never taken for handles.
constexpr std::int64_t kFirstWord = 0x10000;
constexpr std::int64_t kLastWord = std::numeric_limits<Int>::max();
constexpr std::int64_t kGranule = 16;

struct Block {
  std::int64_t low;       // base word
  std::int64_t high;      // one past the last mapped byte
  std::int64_t reserved;  // one past the last word reserved for the block (includes a guard gap)
  char* base;
  Tag tag;
  bool live;
};

struct Space {
  std::vector<Block> blocks;  // sorted by low
  std::int64_t fresh = kFirstWord;
  std::size_t live = 0;
};

constinit Space* gSpace = nullptr;

Space& space() {
  if (gSpace == nullptr) gSpace = new Space();  // lives until the process ends
  return *gSpace;
}

std::int64_t roundUp(std::int64_t value) { return (value + kGranule - 1) / kGranule * kGranule; }

void reportWord(const char* what, Int word, std::size_t bytes) {
  zmxrt::report(-3, std::string("SYSTEM ERROR IN address space - ") + what + " (WORD " + std::to_string(word) +
                        ", " + std::to_string(bytes) + " BYTES)");
}

// Index of the block whose reserved range holds word, or -1.
long findBlock(const Space& s, std::int64_t word) {
  auto it = std::upper_bound(s.blocks.begin(), s.blocks.end(), word,
                             [](std::int64_t w, const Block& b) { return w < b.low; });
  if (it == s.blocks.begin()) return -1;
  --it;
  if (word >= it->reserved) return -1;
  return static_cast<long>(it - s.blocks.begin());
}

// A span of 0 bytes may sit one past the last byte; the guard gap keeps that word off the next
// block.
bool spanInside(const Block& b, std::int64_t word, std::size_t bytes) {
  return b.live && detail::spanFits(static_cast<std::uint64_t>(word - b.low), bytes,
                                    static_cast<std::uint64_t>(b.high - b.low));
}

}  // namespace

Int map(void* p, std::size_t bytes, Tag tag) {
  Space& s = space();
  const std::int64_t need = roundUp(static_cast<std::int64_t>(std::max<std::size_t>(bytes, 1))) + kGranule;
  if (bytes > static_cast<std::size_t>(kLastWord) || need > kLastWord) {
    reportWord("BLOCK TOO LARGE FOR THE ADDRESS SPACE", 0, bytes);
    return 0;
  }
  Block block{0, 0, 0, static_cast<char*>(p), tag, true};
  if (s.fresh + need <= kLastWord) {
    block.low = s.fresh;
    block.reserved = s.fresh + need;
    s.fresh = block.reserved;
    block.high = block.low + static_cast<std::int64_t>(bytes);
    s.blocks.push_back(block);
  } else {
    // Fresh space is spent: reuse the first dead range that is large enough.
    auto it = std::find_if(s.blocks.begin(), s.blocks.end(),
                           [need](const Block& b) { return !b.live && b.reserved - b.low >= need; });
    if (it == s.blocks.end()) {
      reportWord("ADDRESS SPACE EXHAUSTED", 0, bytes);
      return 0;
    }
    it->high = it->low + static_cast<std::int64_t>(bytes);
    it->base = static_cast<char*>(p);
    it->tag = tag;
    it->live = true;
    block = *it;
  }
  ++s.live;
  return static_cast<Int>(block.low);
}

bool unmap(Int base) {
  Space& s = space();
  const long k = findBlock(s, base);
  if (k < 0 || !s.blocks[static_cast<std::size_t>(k)].live || s.blocks[static_cast<std::size_t>(k)].low != base) {
    reportWord("UNMAP OF A WORD THAT IS NOT A LIVE BLOCK", base, 0);
    return false;
  }
  Block& b = s.blocks[static_cast<std::size_t>(k)];
  b.live = false;
  b.base = nullptr;
  --s.live;
  if (detail::gHot.low == b.low) detail::gHot = detail::HotBlock{};
  return true;
}

void reportMisaligned(Int word, std::size_t alignment) {
  reportWord(("ADDRESS WORD NOT ALIGNED TO " + std::to_string(alignment) + " BYTES").c_str(), word, 0);
}

bool valid(Int word, std::size_t bytes, Tag tag) {
  if (gSpace == nullptr || word <= 0) return false;
  const long k = findBlock(*gSpace, word);
  if (k < 0) return false;
  const Block& b = gSpace->blocks[static_cast<std::size_t>(k)];
  return spanInside(b, word, bytes) && (tag == kAnyTag || tag == b.tag);
}

void* resolveSlow(Int word, std::size_t bytes, Tag tag) {
  if (gSpace == nullptr || word <= 0) {
    reportWord("BAD ADDRESS WORD", word, bytes);
    return nullptr;
  }
  const long k = findBlock(*gSpace, word);
  if (k < 0) {
    reportWord("ADDRESS WORD OUTSIDE EVERY BLOCK", word, bytes);
    return nullptr;
  }
  const Block& b = gSpace->blocks[static_cast<std::size_t>(k)];
  if (!b.live) {
    reportWord("STALE ADDRESS WORD OF A RELEASED BLOCK", word, bytes);
    return nullptr;
  }
  if (!spanInside(b, word, bytes)) {
    reportWord("SPAN RUNS PAST THE END OF ITS BLOCK", word, bytes);
    return nullptr;
  }
  if (tag != kAnyTag && tag != b.tag) {
    reportWord("ADDRESS WORD OF A BLOCK OF ANOTHER KIND", word, bytes);
    return nullptr;
  }
  if (b.high > b.low) detail::gHot = detail::HotBlock{b.low, static_cast<std::uint64_t>(b.high - b.low), b.base, b.tag};
  return b.base + (word - b.low);
}

std::size_t blockBytes(Int word) {
  if (gSpace == nullptr) return 0;
  const long k = findBlock(*gSpace, word);
  if (k < 0 || !gSpace->blocks[static_cast<std::size_t>(k)].live) return 0;
  const Block& b = gSpace->blocks[static_cast<std::size_t>(k)];
  return static_cast<std::size_t>(b.high - b.low);
}

Int wordOf(const void* p) {
  if (gSpace == nullptr || p == nullptr) return 0;
  const char* c = static_cast<const char*>(p);
  for (const Block& b : gSpace->blocks) {
    if (!b.live || b.high <= b.low) continue;
    // Compared as integers: pointers into different objects have no order of their own.
    const auto at = reinterpret_cast<std::uintptr_t>(c);
    const auto first = reinterpret_cast<std::uintptr_t>(b.base);
    if (at >= first && at - first < static_cast<std::uint64_t>(b.high - b.low))
      return static_cast<Int>(b.low + static_cast<std::int64_t>(at - first));
  }
  return 0;
}

std::size_t bytesFrom(Int word) {
  if (gSpace == nullptr) return 0;
  const long k = findBlock(*gSpace, word);
  if (k < 0) return 0;
  const Block& b = gSpace->blocks[static_cast<std::size_t>(k)];
  if (!b.live || word >= b.high) return 0;
  return static_cast<std::size_t>(b.high - word);
}

std::size_t liveBlocks() { return gSpace == nullptr ? 0 : gSpace->live; }

}  // namespace mem32
