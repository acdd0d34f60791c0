// Maps and integer-pair sets behind 32-bit handles.
//
// A handle is the address word of the container object, laid into the address space under a
// tag of its family, so that a handle of another family, a deleted container or an iterator that
// has run out is caught by the resolve instead of being dereferenced. Integer keys live in a
// flat open-addressing table; string keys (without their trailing blanks) in an ordered map.
#include <algorithm>
#include <map>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/address_space.h"
#include "runtime/fortran_chars.h"
#include "siblings/utl/utl_int_table.h"
#include "zmx/storage.h"

namespace {

using zmx::FlatIntMap;

constexpr Int kNew = 0;
constexpr Int kPresent = 1;
constexpr Int kAbsent = -1;
constexpr Int kTooSmall = -2;

using StringKeyed = std::less<>;

struct IntToInt {
  static constexpr mem32::Tag kTag = mem32::tag("MI2I");
  FlatIntMap<Int> entries;
};

struct StringToInt {
  static constexpr mem32::Tag kTag = mem32::tag("MS2I");
  std::map<std::string, Int, StringKeyed> entries;
};

template <class T, mem32::Tag kFamilyTag, mem32::Tag kIteratorTag>
struct IntToArray {
  static constexpr mem32::Tag kTag = kFamilyTag;
  using Value = T;
  using Key = Int;
  struct Iterator {
    static constexpr mem32::Tag kTag = kIteratorTag;
    std::vector<Int> keys;
    std::size_t next = 0;
  };
  FlatIntMap<std::vector<T>> entries;

  const std::vector<T>* find(Int key) const { return entries.find(key); }
  std::pair<std::vector<T>*, bool> insert(Int key) { return entries.insert(key); }
  std::vector<Int> keys() const {
    std::vector<Int> all;
    all.reserve(entries.size());
    entries.forEach([&all](Int key, const std::vector<T>&) { all.push_back(key); });
    return all;
  }
};

using IntToInts = IntToArray<Int, mem32::tag("MI2F"), mem32::tag("IT2F")>;
using IntToReals = IntToArray<Real, mem32::tag("MI2D"), mem32::tag("IT2D")>;

struct StringToReals {
  static constexpr mem32::Tag kTag = mem32::tag("MS2D");
  using Value = Real;
  struct Iterator {
    static constexpr mem32::Tag kTag = mem32::tag("ITSD");
    std::vector<std::string> keys;
    std::size_t next = 0;
  };
  std::map<std::string, std::vector<Real>, StringKeyed> entries;

  const std::vector<Real>* find(std::string_view key) const {
    const auto it = entries.find(key);
    return it == entries.end() ? nullptr : &it->second;
  }
  std::pair<std::vector<Real>*, bool> insert(std::string_view key) {
    auto [it, inserted] = entries.try_emplace(std::string(key));
    return {&it->second, inserted};
  }
  std::vector<std::string> keys() const {
    std::vector<std::string> all;
    all.reserve(entries.size());
    for (const auto& entry : entries) all.push_back(entry.first);
    return all;
  }
};

struct IntegerPairs {
  static constexpr mem32::Tag kTag = mem32::tag("MIPS");
  FlatIntMap<std::vector<Int>> valuesOfKey;
  std::size_t pairs = 0;
};

// ---- Handles ------------------------------------------------------------------------------------

// Lays a new object into the address space; 0 when memory or address space cannot be had.
template <class Object, class... Args>
Int createHandle(Args&&... args) {
  Object* object = new (std::nothrow) Object(std::forward<Args>(args)...);
  if (object == nullptr) return 0;
  const Int handle = mem32::map(object, sizeof(Object), Object::kTag);
  if (handle == 0) delete object;
  return handle;
}

// The object of the handle, or null (reported by the address space) for a bad handle.
template <class Object>
Object* resolve(Int handle) {
  return mem32::at<Object>(handle, 1, Object::kTag);
}

template <class Object>
Int deleteHandle(Int handle) {
  if (handle == 0) return 0;
  Object* object = resolve<Object>(handle);
  if (object == nullptr) return 0;
  mem32::unmap(handle);
  delete object;
  return 0;
}

// Runs body on the container of the handle; fallback for a bad handle or when memory runs out,
// so that no exception leaves the library.
template <class Object, class Body>
Int withContainer(Int handle, Int fallback, Body&& body) {
  Object* object = resolve<Object>(handle);
  if (object == nullptr) return fallback;
  try {
    return body(*object);
  } catch (const std::bad_alloc&) {
    return fallback;
  }
}

template <class Object>
Int copyHandle(Int source) {
  return withContainer<Object>(source, 0, [](Object& object) { return createHandle<Object>(object); });
}

std::string_view keyOf(const char* key, Int keyLength) { return fchar::view(key, keyLength); }

// ---- Array-valued maps ---------------------------------------------------------------------------

template <class Map, class Key>
Int insertArray(Int handle, const Key& key, const typename Map::Value* values, Int n) {
  if (n < 1) return kPresent;
  return withContainer<Map>(handle, kPresent, [&](Map& map) {
    auto [stored, inserted] = map.insert(key);
    stored->assign(values, values + n);
    return inserted ? kNew : kPresent;
  });
}

template <class Map, class Key>
Int getArray(Int handle, const Key& key, typename Map::Value* out, Int capacity) {
  return withContainer<Map>(handle, kAbsent, [&](Map& map) {
    const auto* stored = map.find(key);
    if (stored == nullptr) return kAbsent;
    const auto length = static_cast<Int>(stored->size());
    if (length > capacity) return kTooSmall;
    std::copy(stored->begin(), stored->end(), out);
    return length;
  });
}

template <class Map>
Int getIterator(Int handle) {
  return withContainer<Map>(handle, 0, [](Map& map) -> Int {
    if (map.entries.empty()) return 0;
    using Iterator = typename Map::Iterator;
    return createHandle<Iterator>(Iterator{map.keys(), 0});
  });
}

// The iterator of the word, or null when it is 0 or has released itself. A word of some other
// live block is reported by the resolve.
template <class Iterator>
Iterator* liveIterator(Int word) {
  if (word == 0) return nullptr;
  if (!mem32::valid(word, sizeof(Iterator), Iterator::kTag) && mem32::blockBytes(word) == 0) return nullptr;
  return resolve<Iterator>(word);
}

// Moves the iterator on; it releases itself after handing out its last key.
template <class Iterator>
void advance(Int word, Iterator* iterator) {
  if (++iterator->next < iterator->keys.size()) return;
  mem32::unmap(word);
  delete iterator;
}

template <class Map>
Int nextIntKey(Int word, Int* key) {
  auto* iterator = liveIterator<typename Map::Iterator>(word);
  if (iterator == nullptr) return 1;
  *key = iterator->keys[iterator->next];
  advance(word, iterator);
  return 0;
}

template <class Map>
Int sizeOf(Int handle) {
  return withContainer<Map>(handle, 0, [](Map& map) { return static_cast<Int>(map.entries.size()); });
}

template <class Map>
Int isEmpty(Int handle) {
  return withContainer<Map>(handle, 1, [](Map& map) { return map.entries.empty() ? 1 : 0; });
}

template <class Map>
Int clear(Int handle) {
  return withContainer<Map>(handle, 0, [](Map& map) {
    map.entries.clear();
    return 0;
  });
}

template <class Map, class Key>
Int isMember(Int handle, const Key& key) {
  return withContainer<Map>(handle, 0, [&](Map& map) { return map.find(key) != nullptr ? 1 : 0; });
}

}  // namespace

extern "C" {

// ---- SHR_MAPINT2INT --------------------------------------------------------------------------------

Int SHR_MAPINT2INTCREATE() { return createHandle<IntToInt>(); }
Int SHR_MAPINT2INTCREATECOPY(Int handle) { return copyHandle<IntToInt>(handle); }
Int SHR_MAPINT2INTCLEAR(Int handle) { return clear<IntToInt>(handle); }
Int SHR_MAPINT2INTDELETE(Int handle) { return deleteHandle<IntToInt>(handle); }

// A key that is present keeps the value it has.
Int SHR_MAPINT2INTINSERT(Int handle, const Int* key, const Int* value) {
  return withContainer<IntToInt>(handle, kPresent, [&](IntToInt& map) {
    auto [stored, inserted] = map.entries.insert(*key);
    if (inserted) *stored = *value;
    return inserted ? kNew : kPresent;
  });
}

Int SHR_MAPINT2INTINSERTLIST(Int handle, const Int* keys, const Int* values, const Int* n) {
  return withContainer<IntToInt>(handle, 0, [&](IntToInt& map) {
    for (Int k = 0; k < *n; ++k) {
      auto [stored, inserted] = map.entries.insert(keys[k]);
      if (inserted) *stored = values[k];
    }
    return 0;
  });
}

Int SHR_MAPINT2INTISMEMBER(Int handle, const Int* key) {
  return withContainer<IntToInt>(handle, 0, [&](IntToInt& map) { return map.entries.contains(*key) ? 1 : 0; });
}

Int SHR_MAPINT2INTISEMPTY(Int handle) { return isEmpty<IntToInt>(handle); }
Int SHR_MAPINT2INTSIZE(Int handle) { return sizeOf<IntToInt>(handle); }

Int SHR_MAPINT2INTGET(Int handle, const Int* key) {
  return withContainer<IntToInt>(handle, 0, [&](IntToInt& map) {
    const Int* value = map.entries.find(*key);
    return value != nullptr ? *value : 0;
  });
}

Int SHR_MAPINT2INTGETLIST(Int handle, const Int* keys, Int* values, const Int* n) {
  return withContainer<IntToInt>(handle, 0, [&](IntToInt& map) {
    for (Int k = 0; k < *n; ++k) {
      const Int* value = map.entries.find(keys[k]);
      values[k] = value != nullptr ? *value : 0;
    }
    return 0;
  });
}

Int SHR_MAPINT2INTGETMAP(Int handle, Int* keys, Int* values) {
  return withContainer<IntToInt>(handle, 0, [&](IntToInt& map) {
    Int n = 0;
    map.entries.forEach([&](Int key, Int value) {
      keys[n] = key;
      values[n] = value;
      ++n;
    });
    return n;
  });
}

// ---- SHR_MAPSTRING2INT -----------------------------------------------------------------------------

Int SHR_MAPSTRING2INTCREATE() { return createHandle<StringToInt>(); }
Int SHR_MAPSTRING2INTCREATECOPY(Int handle) { return copyHandle<StringToInt>(handle); }
Int SHR_MAPSTRING2INTCLEAR(Int handle) { return clear<StringToInt>(handle); }
Int SHR_MAPSTRING2INTDELETE(Int handle) { return deleteHandle<StringToInt>(handle); }

Int SHR_MAPSTRING2INTINSERT(Int handle, const char* key, Int keyLength, const Int* value) {
  return withContainer<StringToInt>(handle, kPresent, [&](StringToInt& map) {
    auto [it, inserted] = map.entries.insert_or_assign(std::string(keyOf(key, keyLength)), *value);
    return inserted ? kNew : kPresent;
  });
}

Int SHR_MAPSTRING2INTISMEMBER(Int handle, const char* key, Int keyLength) {
  return withContainer<StringToInt>(handle, 0, [&](StringToInt& map) {
    return map.entries.find(keyOf(key, keyLength)) != map.entries.end() ? 1 : 0;
  });
}

Int SHR_MAPSTRING2INTISEMPTY(Int handle) { return isEmpty<StringToInt>(handle); }
Int SHR_MAPSTRING2INTSIZE(Int handle) { return sizeOf<StringToInt>(handle); }

Int SHR_MAPSTRING2INTGET(Int handle, const char* key, Int keyLength) {
  return withContainer<StringToInt>(handle, 0, [&](StringToInt& map) {
    const auto it = map.entries.find(keyOf(key, keyLength));
    return it != map.entries.end() ? it->second : 0;
  });
}

// ---- SHR_MAPINT2FINT and SHR_MAPINT2FDBL -------------------------------------------------------

Int SHR_MAPINT2FINTCREATE() { return createHandle<IntToInts>(); }
Int SHR_MAPINT2FINTCLEAR(Int handle) { return clear<IntToInts>(handle); }
Int SHR_MAPINT2FINTDELETE(Int handle) { return deleteHandle<IntToInts>(handle); }
Int SHR_MAPINT2FINTINSERT(Int handle, const Int* key, const Int* values, const Int* n) {
  return insertArray<IntToInts>(handle, *key, values, *n);
}
Int SHR_MAPINT2FINTISMEMBER(Int handle, const Int* key) { return isMember<IntToInts>(handle, *key); }
Int SHR_MAPINT2FINTISEMPTY(Int handle) { return isEmpty<IntToInts>(handle); }
Int SHR_MAPINT2FINTSIZE(Int handle) { return sizeOf<IntToInts>(handle); }
Int SHR_MAPINT2FINTGET(Int handle, const Int* key, Int* values, const Int* capacity) {
  return getArray<IntToInts>(handle, *key, values, *capacity);
}
Int SHR_MAPINT2FINTGETITER(Int handle) { return getIterator<IntToInts>(handle); }
Int SHR_MAPINT2FINTGETNEXT(Int /*handle*/, Int iterator, Int* key) { return nextIntKey<IntToInts>(iterator, key); }

Int SHR_MAPINT2FDBLCREATE() { return createHandle<IntToReals>(); }
Int SHR_MAPINT2FDBLCLEAR(Int handle) { return clear<IntToReals>(handle); }
Int SHR_MAPINT2FDBLDELETE(Int handle) { return deleteHandle<IntToReals>(handle); }
Int SHR_MAPINT2FDBLINSERT(Int handle, const Int* key, const Real* values, const Int* n) {
  return insertArray<IntToReals>(handle, *key, values, *n);
}
Int SHR_MAPINT2FDBLISMEMBER(Int handle, const Int* key) { return isMember<IntToReals>(handle, *key); }
Int SHR_MAPINT2FDBLISEMPTY(Int handle) { return isEmpty<IntToReals>(handle); }
Int SHR_MAPINT2FDBLSIZE(Int handle) { return sizeOf<IntToReals>(handle); }
Int SHR_MAPINT2FDBLGET(Int handle, const Int* key, Real* values, const Int* capacity) {
  return getArray<IntToReals>(handle, *key, values, *capacity);
}
Int SHR_MAPINT2FDBLGETITER(Int handle) { return getIterator<IntToReals>(handle); }
Int SHR_MAPINT2FDBLGETNEXT(Int /*handle*/, Int iterator, Int* key) { return nextIntKey<IntToReals>(iterator, key); }

// ---- SHR_MAPSTR2FDBL -------------------------------------------------------------------------------

Int SHR_MAPSTR2FDBLCREATE() { return createHandle<StringToReals>(); }
Int SHR_MAPSTR2FDBLCLEAR(Int handle) { return clear<StringToReals>(handle); }
Int SHR_MAPSTR2FDBLDELETE(Int handle) { return deleteHandle<StringToReals>(handle); }
Int SHR_MAPSTR2FDBLINSERT(Int handle, const char* key, Int keyLength, const Real* values, const Int* n) {
  return insertArray<StringToReals>(handle, keyOf(key, keyLength), values, *n);
}
Int SHR_MAPSTR2FDBLISMEMBER(Int handle, const char* key, Int keyLength) {
  return isMember<StringToReals>(handle, keyOf(key, keyLength));
}
Int SHR_MAPSTR2FDBLISEMPTY(Int handle) { return isEmpty<StringToReals>(handle); }
Int SHR_MAPSTR2FDBLSIZE(Int handle) { return sizeOf<StringToReals>(handle); }
Int SHR_MAPSTR2FDBLGET(Int handle, const char* key, Int keyLength, Real* values, const Int* capacity) {
  return getArray<StringToReals>(handle, keyOf(key, keyLength), values, *capacity);
}
Int SHR_MAPSTR2FDBLGETITER(Int handle) { return getIterator<StringToReals>(handle); }

Int SHR_MAPSTR2FDBLGETNEXT(Int /*handle*/, Int iterator, char* key, Int keyLength) {
  auto* live = liveIterator<StringToReals::Iterator>(iterator);
  if (live == nullptr) return 1;
  const std::string& next = live->keys[live->next];
  if (next.size() > static_cast<std::size_t>(std::max<Int>(keyLength, 0))) return 1;
  fchar::assign(key, keyLength, next);
  advance(iterator, live);
  return 0;
}

// ---- SHR_INTEGERPAIRSET ----------------------------------------------------------------------------

Int SHR_INTEGERPAIRSETCREATE() { return createHandle<IntegerPairs>(); }
Int SHR_INTEGERPAIRSETDELETE(Int handle) { return deleteHandle<IntegerPairs>(handle); }

Int SHR_INTEGERPAIRSETCLEAR(Int handle) {
  return withContainer<IntegerPairs>(handle, 0, [](IntegerPairs& set) {
    set.valuesOfKey.clear();
    set.pairs = 0;
    return 0;
  });
}

Int SHR_INTEGERPAIRSETINSERT(Int handle, const Int* key, const Int* value) {
  return withContainer<IntegerPairs>(handle, kPresent, [&](IntegerPairs& set) {
    set.valuesOfKey.insert(*key).first->push_back(*value);
    ++set.pairs;
    return kNew;
  });
}

Int SHR_INTEGERPAIRSETISMEMBER(Int handle, const Int* key, const Int* value) {
  return withContainer<IntegerPairs>(handle, 0, [&](IntegerPairs& set) {
    const std::vector<Int>* values = set.valuesOfKey.find(*key);
    return values != nullptr && std::find(values->begin(), values->end(), *value) != values->end() ? 1 : 0;
  });
}

Int SHR_INTEGERPAIRSETINSERTUNIQUE(Int handle, const Int* key, const Int* value) {
  if (SHR_INTEGERPAIRSETISMEMBER(handle, key, value) != 0) return kPresent;
  return SHR_INTEGERPAIRSETINSERT(handle, key, value);
}

Int SHR_INTEGERPAIRSETISKEYMEMBER(Int handle, const Int* key) {
  return withContainer<IntegerPairs>(handle, 0, [&](IntegerPairs& set) {
    const std::vector<Int>* values = set.valuesOfKey.find(*key);
    return values != nullptr && !values->empty() ? 1 : 0;
  });
}

Int SHR_INTEGERPAIRSETISEMPTY(Int handle) {
  return withContainer<IntegerPairs>(handle, 1, [](IntegerPairs& set) { return set.pairs == 0 ? 1 : 0; });
}

Int SHR_INTEGERPAIRSETGET(Int handle, const Int* key, Int* values) {
  return withContainer<IntegerPairs>(handle, 0, [&](IntegerPairs& set) {
    const std::vector<Int>* stored = set.valuesOfKey.find(*key);
    if (stored == nullptr) return 0;
    std::copy(stored->begin(), stored->end(), values);
    return static_cast<Int>(stored->size());
  });
}

Int SHR_INTEGERPAIRSETGETMAP(Int handle, Int* keys, Int* values) {
  return withContainer<IntegerPairs>(handle, 0, [&](IntegerPairs& set) {
    Int n = 0;
    set.valuesOfKey.forEach([&](Int key, const std::vector<Int>& ofKey) {
      for (Int value : ofKey) {
        keys[n] = key;
        values[n] = value;
        ++n;
      }
    });
    return n;
  });
}

}  // extern "C"
