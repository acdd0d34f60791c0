// The shape of an upper-case routine as its installed declaration gives it: how many C-level
// parameters it takes (a character argument is two: its address and its length), whether it
// returns a value, and where its character arguments stand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <tuple>
#include <type_traits>

namespace abi_testing {

template <class Declared>
struct RoutineShape {
  static constexpr bool isRoutine = false;
  static constexpr std::size_t parameters = 0;
};

template <class Result, class... Parameter>
struct RoutineShape<Result(Parameter...)> {
  static constexpr bool isRoutine = true;
  static constexpr std::size_t parameters = sizeof...(Parameter);
  static constexpr bool returnsValue = !std::is_void_v<Result>;
  using Parameters = std::tuple<Parameter...>;
};

template <class Result, class... Parameter>
struct RoutineShape<Result(Parameter...) noexcept> : RoutineShape<Result(Parameter...)> {};

// True when parameters first and first + 1 (counted from 1) are a character argument: the address
// of the characters, then their length as a 32-bit integer passed by value.
template <class Declared, std::size_t first>
constexpr bool characterArgumentAt() {
  using Shape = RoutineShape<Declared>;
  if constexpr (!Shape::isRoutine || first < 1 || first + 1 > Shape::parameters) {
    return false;
  } else {
    using Address = std::tuple_element_t<first - 1, typename Shape::Parameters>;
    using Length = std::tuple_element_t<first, typename Shape::Parameters>;
    return std::is_pointer_v<Address> && std::is_same_v<std::remove_cv_t<std::remove_pointer_t<Address>>, char> &&
           std::is_same_v<std::remove_cv_t<Length>, std::int32_t>;
  }
}

// A routine named in the lists of upper-case routines, with the list it was found in.
struct ListedRoutine {
  const char* name;
  const char* list;
};

// Filled by the source generated from the lists at build time.
extern const ListedRoutine kListedRoutines[];
extern const std::size_t kListedRoutineCount;

}  // namespace abi_testing
