// The composition: a 57-second piece in A minor at 120 beats a minute, in seven sections
// whose starts fall on the show's scene changes.
#pragma once

#include "xm_file.h"

namespace xmgen {

enum Channel {
    kKickChannel,
    kSnareChannel,
    kHatChannel,
    kOpenHatChannel,
    kBassChannel,
    kPadChannel1,
    kPadChannel2,
    kPadChannel3,
    kLeadChannel,
    kEchoChannel, // the lead delayed by a dotted eighth, or its harmony in the finale
    kArpChannel,
    kCrashChannel,
    kChannelCount
};

// Speed 6 at BPM 120: 125 ms a row, four rows a beat, sixteen a bar.
constexpr int kSpeed = 6;
constexpr int kBpm = 120;
constexpr int kRowsPerBar = 16;

XmSong ComposeSong();

} // namespace xmgen
