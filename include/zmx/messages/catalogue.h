// The message catalogues: what a message key means. Checks file nodes and elements under message
// keys; each catalogue gives, for the keys it holds, the catalogue entry: the label (which names
// the set of the entities), the text printed once per key ("%I" the count, "%S" the set name),
// the severity (handed unchanged as the message level) and the set type.
//
// Every lookup returns true and writes the four values when its catalogue holds the key, and
// returns false and writes nothing otherwise. The tables are constant, sorted by key.
#pragma once

#include "zmx/types.h"

class cow_String;

namespace zmx {
// Set types of a catalogue entry.
inline constexpr int kNodeSet = 1;
inline constexpr int kElementSet = 2;
inline constexpr int kNoSet = 3;
}  // namespace zmx

// Element messages of the pre-processor, of the checks shared with the solvers, and of the
// implicit solver; the solver's labels carry the step and increment ("...Step2Inc14").
ZMX_EXPORT bool ElementBasedMessagesInPre(int key, cow_String& label, cow_String& text, int& severity, int& setType);
ZMX_EXPORT bool ElementBasedMessagesInShr(int key, cow_String& label, cow_String& text, int& severity, int& setType);
ZMX_EXPORT bool ElementBasedMessagesInStd(int key, cow_String& label, cow_String& text, int& severity, int& setType,
                                          int step, int increment);

// Node messages, in the same three groups.
ZMX_EXPORT bool NodeBasedMessagesInPre(int key, cow_String& label, cow_String& text, int& severity, int& setType);
ZMX_EXPORT bool NodeBasedMessagesInShr(int key, cow_String& label, cow_String& text, int& severity, int& setType);
ZMX_EXPORT bool NodeBasedMessagesInStd(int key, cow_String& label, cow_String& text, int& severity, int& setType,
                                       int step, int increment);

// The solver's zero-pivot and singularity warnings, one band of 31 keys per kind, the position in
// the band being the degree of freedom; the label is "<name>_d_step_increment_first_second".
// Any other key gets the fallback entry: label "  ", the "No message found" text, severity -3,
// no set. Always true.
ZMX_EXPORT bool NumericalMessages(int key, cow_String& label, cow_String& text, int& severity, int& setType, int step,
                                  int increment, int first, int second);
