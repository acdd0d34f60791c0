// Set names made from a message label and numbers, so that each step and increment (and, for
// the numerical messages, each degree of freedom and the host's two further numbers) gets sets
// of its own.

#include "siblings/utl/utl.h"
#include "zmx/messages/drain.h"

cow_String AssembleSetNameStepInc(const char* label, int step, int increment) {
  return cow_String(label) + cow_String("Step") + cow_String(step) + cow_String("Inc") + cow_String(increment);
}

cow_String AssembleSetName(const char* label, int d, int step, int increment, int first, int second) {
  cow_String name(label);
  for (const int number : {d, step, increment, first, second}) name = name + cow_String("_") + cow_String(number);
  return name;
}
