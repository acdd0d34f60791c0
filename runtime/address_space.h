// 32-bit address words.
//
// Many records and arguments of this suite keep addresses in 4-byte integers: container
// handles, the work-space base, set member lists, store handles. On a 64-bit process those are
// address words of one process-wide 32-bit space: map() lays a block of memory into the space
// and gives back a nonzero word; word arithmetic inside the block works as on a real address;
// at() turns a word back into a pointer after checking that the whole span lies inside one live
// block and that the block carries the expected tag.
//
// A stale word (of an unmapped block), a word outside every block, a span running past its
// block's end or a block of another tag is reported at level -3 and resolves to null; it is
// never dereferenced. Freed ranges of the space are not handed out again while fresh space
// remains, so a stale handle is caught rather than aliased.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/fortran_types.h"

namespace mem32 {

using Tag = std::uint32_t;

// Matches any block.
inline constexpr Tag kAnyTag = 0;

// Builds a tag from four characters, so that tags read well in reports: tag("SURF").
constexpr Tag tag(const char (&name)[5]) {
  return static_cast<Tag>(static_cast<unsigned char>(name[0])) |
         static_cast<Tag>(static_cast<unsigned char>(name[1])) << 8 |
         static_cast<Tag>(static_cast<unsigned char>(name[2])) << 16 |
         static_cast<Tag>(static_cast<unsigned char>(name[3])) << 24;
}

// Lays bytes of memory at p into the space; returns the block's base word, or 0 (reported)
// when the space is exhausted or the block is larger than the space. A block of 0 bytes gets a
// word of its own that resolves only for spans of 0 bytes.
ZMX_EXPORT Int map(void* p, std::size_t bytes, Tag tag);

// Removes the block whose base word this is. Returns false (reported) for any other word.
ZMX_EXPORT bool unmap(Int base);

// Pointer for the span [word, word + bytes) of one live block of the tag, or null (reported).
ZMX_EXPORT void* resolveSlow(Int word, std::size_t bytes, Tag tag);

// Reports a word that lies in a block but is not aligned for the type asked for.
ZMX_EXPORT void reportMisaligned(Int word, std::size_t alignment);

// True when the span lies in a live block of the tag; never reports.
ZMX_EXPORT bool valid(Int word, std::size_t bytes, Tag tag);

// Size in bytes of the live block that holds word, 0 when there is none.
ZMX_EXPORT std::size_t blockBytes(Int word);

// Address word of the byte at p when p lies in a live block, else 0; never reports.
ZMX_EXPORT Int wordOf(const void* p);

// Bytes from word to the end of the live block that holds it, 0 when there is none.
ZMX_EXPORT std::size_t bytesFrom(Int word);

// Number of live blocks (for tests and leak checks).
ZMX_EXPORT std::size_t liveBlocks();

namespace detail {
// The block that resolved last; a hit costs two compares and an add.
struct HotBlock {
  std::int64_t low = -(std::int64_t{1} << 40);  // empty: far below every word, so nothing fits
  std::uint64_t size = 0;                        // bytes of the block
  char* base = nullptr;
  Tag tag = 0;
};
ZMX_EXPORT extern HotBlock gHot;

// True when [offset, offset + bytes) lies inside size bytes. The offset is taken unsigned, so a
// word below the block is far out of range; no sum is formed, so a huge span cannot wrap round.
inline bool spanFits(std::uint64_t offset, std::uint64_t bytes, std::uint64_t size) {
  return offset <= size && bytes <= size - offset;
}
}  // namespace detail

inline void* resolve(Int word, std::size_t bytes, Tag tag = kAnyTag) {
  const detail::HotBlock& hot = detail::gHot;
  const std::uint64_t offset = static_cast<std::uint64_t>(word - hot.low);
  if (detail::spanFits(offset, bytes, hot.size) && (tag == kAnyTag || tag == hot.tag))
    return hot.base + offset;
  return resolveSlow(word, bytes, tag);
}

// Typed resolve of count objects of T at word; null (reported) when the span is not inside one
// live block of the tag or the word is not aligned for T.
template <class T>
T* at(Int word, std::size_t count = 1, Tag tag = kAnyTag) {
  // A count whose byte size does not fit a size_t can lie in no block.
  const std::size_t bytes = count <= SIZE_MAX / sizeof(T) ? count * sizeof(T) : SIZE_MAX;
  void* p = resolve(word, bytes, tag);
  if (p == nullptr) return nullptr;
  if (reinterpret_cast<std::uintptr_t>(p) % alignof(T) != 0) {
    reportMisaligned(word, alignof(T));
    return nullptr;
  }
  return static_cast<T*>(p);
}

}  // namespace mem32
