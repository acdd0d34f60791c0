// One row of a constant message catalogue, and the lookup shared by the catalogues.
#pragma once

#include <algorithm>
#include <span>

#include "zmx/messages/catalogue.h"

class cow_String;

namespace zmx::catalogue {

struct Row {
  int key;
  const char* label;
  int severity;
  int setType;
  const char* text;
};

// The entry for a key that no catalogue holds. No catalogue row has this label, severity and
// set type together, so the drain knows the entry by what it holds.
inline constexpr const char* kFallbackLabel = "  ";
inline constexpr const char* kFallbackText = "System Error in msgprint: No message found with key %I.";
inline constexpr int kFallbackSeverity = -3;

// The tables are written sorted by key so that a binary search finds a row; checked when built.
constexpr bool sortedByKey(std::span<const Row> rows) {
  return std::adjacent_find(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.key >= b.key; }) ==
         rows.end();
}

// The row of the key, or null.
const Row* findRow(std::span<const Row> rows, int key);

// Writes the row's label, text, severity and set type into the caller's variables.
void writeEntry(const Row& row, cow_String& label, cow_String& text, int& severity, int& setType);

// The catalogue lookup: true with the row written, false with nothing written.
bool lookUp(std::span<const Row> rows, int key, cow_String& label, cow_String& text, int& severity, int& setType);

// The same, with the label extended by "Step<step>Inc<increment>" as the solver catalogues name
// their sets.
bool lookUpPerIncrement(std::span<const Row> rows, int key, cow_String& label, cow_String& text, int& severity,
                        int& setType, int step, int increment);

}  // namespace zmx::catalogue
