#include "messages/catalogue/catalogue_rows.h"

#include "siblings/utl/utl.h"
#include "zmx/messages/drain.h"

namespace zmx::catalogue {

const Row* findRow(std::span<const Row> rows, int key) {
  const auto found =
      std::lower_bound(rows.begin(), rows.end(), key, [](const Row& row, int wanted) { return row.key < wanted; });
  return found != rows.end() && found->key == key ? &*found : nullptr;
}

void writeEntry(const Row& row, cow_String& label, cow_String& text, int& severity, int& setType) {
  label = cow_String(row.label);
  text = cow_String(row.text);
  severity = row.severity;
  setType = row.setType;
}

bool lookUp(std::span<const Row> rows, int key, cow_String& label, cow_String& text, int& severity, int& setType) {
  const Row* row = findRow(rows, key);
  if (row == nullptr) return false;
  writeEntry(*row, label, text, severity, setType);
  return true;
}

bool lookUpPerIncrement(std::span<const Row> rows, int key, cow_String& label, cow_String& text, int& severity,
                        int& setType, int step, int increment) {
  const Row* row = findRow(rows, key);
  if (row == nullptr) return false;
  writeEntry(*row, label, text, severity, setType);
  label = AssembleSetNameStepInc(row->label, step, increment);
  return true;
}

}  // namespace zmx::catalogue
