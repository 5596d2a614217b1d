// The module's nine instruments, each with one synthesised sample.
#pragma once

#include "xm_file.h"

#include <vector>

namespace xmgen {

// 1-based instrument numbers as written in pattern cells.
enum InstrumentNumber {
    kKick = 1,
    kSnare,
    kClosedHat,
    kOpenHat,
    kCrash,
    kBass,
    kPad,
    kLead,
    kPluck,
    kInstrumentCount = kPluck
};

// Pitched instruments sound at their pattern note (C-4 is middle C, 261.63 Hz); drums play
// their sample at its own speed on C-4.
std::vector<XmInstrument> MakeInstruments();

} // namespace xmgen
