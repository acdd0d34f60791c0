#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <new>
#include <string>

#include "siblings/utl/utl.h"

// One shared text: the count of strings holding it, its length and its room; the characters
// with their terminating zero follow the header in the same allocation.
struct cow_String::Text {
  std::size_t references;
  std::size_t length;
  std::size_t capacity;

  char* chars() { return reinterpret_cast<char*>(this + 1); }

  static Text* make(std::size_t capacity) {
    Text* t = new (::operator new(sizeof(Text) + capacity + 1)) Text{1, 0, capacity};
    t->chars()[0] = '\0';
    return t;
  }
};

namespace {
constexpr char kEmpty[] = "";
}

cow_String::cow_String(const char* text) : cow_String(text, text == nullptr ? 0 : std::strlen(text)) {}

cow_String::cow_String(const char* text, std::size_t count) {
  if (count > 0) Append(text, count);
}

cow_String::cow_String(int value) {
  char digits[16];
  const int n = std::snprintf(digits, sizeof digits, "%d", value);
  Append(digits, static_cast<std::size_t>(n));
}

cow_String::cow_String(const cow_String& other) noexcept : text_(other.text_) {
  if (text_ != nullptr) ++text_->references;
}

cow_String::cow_String(cow_String&& other) noexcept : text_(other.text_) { other.text_ = nullptr; }

cow_String& cow_String::operator=(const cow_String& other) noexcept {
  Text* shared = other.text_;  // other may be this string
  if (shared != nullptr) ++shared->references;
  release();
  text_ = shared;
  return *this;
}

cow_String& cow_String::operator=(cow_String&& other) noexcept {
  if (this != &other) {
    release();
    text_ = other.text_;
    other.text_ = nullptr;
  }
  return *this;
}

cow_String::~cow_String() { release(); }

void cow_String::release() noexcept {
  if (text_ != nullptr && --text_->references == 0) ::operator delete(text_);
  text_ = nullptr;
}

std::size_t cow_String::Length() const noexcept { return text_ == nullptr ? 0 : text_->length; }

const char* cow_String::CStr() const noexcept { return text_ == nullptr ? kEmpty : text_->chars(); }

char cow_String::At(std::size_t index) const noexcept { return index < Length() ? text_->chars()[index] : '\0'; }

void cow_String::own(std::size_t capacity) {
  if (text_ != nullptr && text_->references == 1 && text_->capacity >= capacity) return;
  const std::size_t length = Length();
  std::size_t room = capacity;
  if (text_ != nullptr && capacity > text_->capacity) room = std::max(capacity, 2 * text_->capacity);
  Text* fresh = Text::make(room);
  if (length > 0) std::memcpy(fresh->chars(), text_->chars(), length);
  fresh->length = length;
  fresh->chars()[length] = '\0';
  release();
  text_ = fresh;
}

cow_String& cow_String::Append(const char* text, std::size_t count) {
  if (count == 0 || text == nullptr) return *this;
  // A run out of this string's own text is copied first: growing may move or free it.
  if (text_ != nullptr && std::less_equal<const char*>()(text_->chars(), text) &&
      std::less<const char*>()(text, text_->chars() + text_->length)) {
    const std::string run(text, count);
    return Append(run.data(), count);
  }
  own(Length() + count);
  std::memmove(text_->chars() + text_->length, text, count);
  text_->length += count;
  text_->chars()[text_->length] = '\0';
  return *this;
}

cow_String& cow_String::Append(std::size_t count, char c) {
  if (count == 0) return *this;
  own(Length() + count);
  std::memset(text_->chars() + text_->length, c, count);
  text_->length += count;
  text_->chars()[text_->length] = '\0';
  return *this;
}

void cow_String::SetAt(std::size_t index, char c) {
  if (index >= Length()) return;
  own(Length());
  text_->chars()[index] = c;
}

cow_String operator+(const cow_String& left, const cow_String& right) {
  cow_String sum(left);
  sum.Append(right.CStr(), right.Length());
  return sum;
}
