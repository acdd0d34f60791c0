// Element variables, element views and messages shared by the element geometry routines.
#include "elements/geometry/element_support.h"

#include <algorithm>
#include <string>

#include "runtime/address_space.h"
#include "siblings/dm2/dm2_adb.h"
#include "siblings/eqc/eqc_messages.h"

namespace zmx_elements {

namespace {
Int variableSize(Int layout, Int id) {
  Int rows = 0, columns = 0;
  QUERYVAR(&layout, &id, &rows, &columns);
  return rows * columns;
}
}  // namespace

Real* realVariable(Int layout, Int id, Int count) {
  if (layout == 0 || count < 1 || variableSize(layout, id) < count) return nullptr;
  const Int address = GETVARDRW(&layout, &id);
  return address == 0 ? nullptr : mem32::at<Real>(address, static_cast<std::size_t>(count), dm2::kDataTag);
}

Int* integerVariable(Int layout, Int id, Int count) {
  if (layout == 0 || count < 1 || variableSize(layout, id) < count) return nullptr;
  const Int address = GETVARIRW(&layout, &id);
  return address == 0 ? nullptr : mem32::at<Int>(address, static_cast<std::size_t>(count), dm2::kDataTag);
}

Int subLayout(Int element, Int k) {
  const Int first = 0;
  return GETSUBLAYOUT(&first, &element, &k);
}

ElementView viewElement(Int handle) {
  Int section = 0, slideLine = 0;
  const Int layout = ELAYOACCESS(&handle, &section, &slideLine);
  ElementView v = viewLayout(layout);
  v.slideLine = slideLine;
  return v;
}

ElementView viewLayout(Int layout) {
  ElementView v;
  v.layout = layout;
  const Int zero = 0, two = 2;
  ELEMACCESS(&zero, &v.layout, &v.number);
  const Int word = ELEMACCESS(&two, &v.layout, &v.recordLength);
  if (word != 0 && v.recordLength > 0) {
    if (const Int* given = mem32::at<Int>(word, static_cast<std::size_t>(v.recordLength), dm2::kDataTag))
      std::copy_n(given, std::min<Int>(v.recordLength, 80), v.rec);
  }
  return v;
}

void message(Int level, const char* text, Int value) {
  const Real noReal = 0.0;
  KVXERR(&level, text, static_cast<Int>(std::char_traits<char>::length(text)), &value, &noReal, " ", 1);
}

void messageFiled(Int level, const char* text, Int value, Int entity, Int key) {
  const Real noReal = 0.0;
  KVXNERR(&level, text, static_cast<Int>(std::char_traits<char>::length(text)), &value, &noReal, " ", 1);
  const Int file = 1;
  MSGACCESS(&file, &entity, &key);
}

}  // namespace zmx_elements
