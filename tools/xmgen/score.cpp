#include "score.h"

#include "instruments.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace xmgen {

namespace {

constexpr int kDrumNote = 49;     // C-4: drums play their samples at their own speed
constexpr int kSlideUp = 0x70;    // volume column: slide up by the low nibble every tick
constexpr int kSetPanning = 0x08; // effect 8xx

// Stereo position of each channel, 0 (left) to 255 (right). A note with an instrument resets
// the panning to the sample's centre, so off-centre channels repeat 8xx on every note.
constexpr int kChannelPan[kChannelCount] = {128, 120, 164, 96, 128, 64, 128, 192, 128, 84, 176, 112};

struct ChordShape {
    const char* name;
    int bassRoot; // MIDI note
    int pad[3];   // the three pad voices, close position around middle C
    int arp[4];   // the pluck's arpeggio, lowest first
};

const ChordShape kChords[] = {
    {"Am", 33, {57, 60, 64}, {57, 60, 64, 69}},
    {"F", 29, {57, 60, 65}, {57, 60, 65, 69}},
    {"C", 36, {55, 60, 64}, {55, 60, 64, 67}},
    {"G", 31, {55, 59, 62}, {55, 59, 62, 67}},
    {"E", 28, {56, 59, 64}, {56, 59, 64, 68}},
    {"Em", 28, {55, 59, 64}, {55, 59, 64, 67}},
};

const ChordShape& FindChord(const std::string& name) {
    for (const ChordShape& c : kChords)
        if (name == c.name) return c;
    throw std::invalid_argument("unknown chord " + name);
}

struct ChordSpan {
    const char* chord;
    int rows;
};

// A note event of a melody lane: a MIDI note, or a key off (note < 0).
struct NoteEvent {
    int row;
    int note;
    int volume; // 0..64
};

// "C#5" -> 73. Returns -1 for text that is no note name.
int ParseNoteName(const std::string& token) {
    static const int kLetterPitch[] = {9, 11, 0, 2, 4, 5, 7}; // A..G
    if (token.size() < 2 || token[0] < 'A' || token[0] > 'G') return -1;
    int pitch = kLetterPitch[token[0] - 'A'];
    size_t i = 1;
    if (token[i] == '#') ++pitch, ++i;
    else if (token[i] == 'b') --pitch, ++i;
    if (i + 1 != token.size() || !std::isdigit(static_cast<unsigned char>(token[i]))) return -1;
    return 12 * (token[i] - '0' + 1) + pitch;
}

std::vector<std::string> Tokens(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string t; in >> t;) out.push_back(t);
    return out;
}

std::string Repeat(const std::string& bar, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += bar;
    return out;
}

// One section of the piece: one pattern with its chord progression.
class Section {
public:
    Section(const char* sectionName, std::vector<ChordSpan> spans) : name(sectionName), chords(std::move(spans)) {
        for (const ChordSpan& span : chords) {
            FindChord(span.chord);
            pattern.rows += span.rows;
        }
        pattern.cells.resize(static_cast<size_t>(pattern.rows) * kChannelCount);
    }

    int Rows() const { return pattern.rows; }

    const ChordShape& ChordAt(int row) const { return FindChord(SpanAt(row).chord); }

    // Rows since the chord sounding at `row` began.
    int RowInChord(int row) const {
        int start = 0;
        for (const ChordSpan& span : chords) {
            if (row < start + span.rows) return row - start;
            start += span.rows;
        }
        throw std::out_of_range(name + ": row past the end");
    }

    XmCell& Cell(int row, int channel) {
        if (row < 0 || row >= pattern.rows) throw std::out_of_range(name + ": row " + std::to_string(row));
        return pattern.cells[static_cast<size_t>(row) * kChannelCount + channel];
    }

    void Note(int row, int channel, int midiNote, int instrument, int volume) {
        XmCell& c = Cell(row, channel);
        // MIDI 60 (middle C) is C-4, XM note 49.
        const int xmNote = midiNote - 11;
        if (!c.Empty()) Clash(row, channel);
        if (xmNote < 1 || xmNote > 96) throw std::out_of_range(name + ": note out of range");
        c.note = static_cast<uint8_t>(xmNote);
        c.instrument = static_cast<uint8_t>(instrument);
        c.volume = static_cast<uint8_t>(0x10 + std::clamp(volume, 0, 64));
        if (kChannelPan[channel] != 128) {
            c.effect = kSetPanning;
            c.param = static_cast<uint8_t>(kChannelPan[channel]);
        }
    }

    void Drum(int row, int channel, int instrument, int volume) {
        Note(row, channel, kDrumNote + 11, instrument, volume);
    }

    void KeyOff(int row, int channel) {
        XmCell& c = Cell(row, channel);
        if (!c.Empty()) Clash(row, channel);
        c.note = kKeyOff;
    }

    // Volume-column byte on a row that may already hold a note.
    void VolumeColumn(int row, int channel, int value) { Cell(row, channel).volume = static_cast<uint8_t>(value); }

    XmPattern Take() { return std::move(pattern); }

    std::string name;

private:
    const ChordSpan& SpanAt(int row) const {
        int start = 0;
        for (const ChordSpan& span : chords) {
            if (row >= start && row < start + span.rows) return span;
            start += span.rows;
        }
        throw std::out_of_range(name + ": row past the end");
    }

    [[noreturn]] void Clash(int row, int channel) const {
        throw std::logic_error(name + ": two events at row " + std::to_string(row) + ", channel " +
                               std::to_string(channel));
    }

    std::vector<ChordSpan> chords;
    XmPattern pattern;
};

void RequireRows(const Section& s, size_t count, const char* lane) {
    if (count != static_cast<size_t>(s.Rows()))
        throw std::length_error(s.name + ": " + lane + " lane has " + std::to_string(count) + " rows, not " +
                                std::to_string(s.Rows()));
}

// A drum lane, one character a row (spaces ignored): X accent, x normal, o soft, g ghost, . rest.
void Hits(Section& s, int channel, int instrument, const std::string& lane, int gainPercent) {
    std::string rows;
    for (char c : lane)
        if (c != ' ') rows += c;
    RequireRows(s, rows.size(), "drum");
    for (int row = 0; row < s.Rows(); ++row) {
        int velocity = 0;
        switch (rows[row]) {
        case 'X': velocity = 64; break;
        case 'x': velocity = 48; break;
        case 'o': velocity = 34; break;
        case 'g': velocity = 20; break;
        case '.': continue;
        default: throw std::invalid_argument(s.name + ": bad drum symbol");
        }
        s.Drum(row, channel, instrument, velocity * gainPercent / 100);
    }
}

// A melody lane, one token a row: a note name (A4, C#5), ^ key off, . nothing new.
std::vector<NoteEvent> Melody(Section& s, int channel, int instrument, const std::string& lane, int volume) {
    const std::vector<std::string> tokens = Tokens(lane);
    RequireRows(s, tokens.size(), "melody");
    std::vector<NoteEvent> events;
    for (int row = 0; row < s.Rows(); ++row) {
        const std::string& t = tokens[row];
        if (t == ".") continue;
        const int note = t == "^" ? -1 : ParseNoteName(t);
        if (note == -1 && t != "^") throw std::invalid_argument(s.name + ": bad note " + t);
        events.push_back({row, note, volume});
    }
    for (const NoteEvent& e : events) {
        if (e.note < 0) s.KeyOff(e.row, channel);
        else s.Note(e.row, channel, e.note, instrument, e.volume);
    }
    return events;
}

// The lead again, `delay` rows later and quieter: a tempo-synced echo. Events pushed past the
// section's end are dropped.
void Echo(Section& s, const std::vector<NoteEvent>& lead, int delay, int volumePercent) {
    for (const NoteEvent& e : lead) {
        const int row = e.row + delay;
        if (row >= s.Rows()) continue;
        if (e.note < 0) s.KeyOff(row, kEchoChannel);
        else s.Note(row, kEchoChannel, e.note, kLead, e.volume * volumePercent / 100);
    }
}

// A second voice under the lead: the nearest tone of the sounding chord at least a minor
// third below each lead note, so the two always agree with the harmony.
void Harmony(Section& s, const std::vector<NoteEvent>& lead, int volume) {
    for (const NoteEvent& e : lead) {
        if (e.note < 0) {
            s.KeyOff(e.row, kEchoChannel);
            continue;
        }
        const ChordShape& chord = s.ChordAt(e.row);
        int below = e.note - 3;
        auto inChord = [&](int n) {
            for (int p : chord.pad)
                if ((n - p) % 12 == 0) return true;
            return false;
        };
        while (!inChord(below)) --below;
        s.Note(e.row, kEchoChannel, below, kLead, volume);
    }
}

// A bass figure of sixteen tokens that restarts with every chord: R root, O octave, F fifth,
// ^ key off, . nothing new.
void BassLine(Section& s, const std::string& figure, int volume) {
    const std::vector<std::string> tokens = Tokens(figure);
    if (tokens.size() != static_cast<size_t>(kRowsPerBar)) throw std::length_error("bass figure must be a bar");
    for (int row = 0; row < s.Rows(); ++row) {
        const std::string& t = tokens[s.RowInChord(row) % kRowsPerBar];
        const int root = s.ChordAt(row).bassRoot;
        if (t == "R") s.Note(row, kBassChannel, root, kBass, volume);
        else if (t == "O") s.Note(row, kBassChannel, root + 12, kBass, volume);
        else if (t == "F") s.Note(row, kBassChannel, root + 7, kBass, volume);
        else if (t == "^") s.KeyOff(row, kBassChannel);
        else if (t != ".") throw std::invalid_argument("bad bass token " + t);
    }
}

// The three pad voices restart with every chord. Pumping ducks them by 20 on every beat and
// slides them back up within the row (4 per tick over five ticks), the pulse of the main parts.
void Pads(Section& s, int volume, bool pump) {
    const int channels[3] = {kPadChannel1, kPadChannel2, kPadChannel3};
    for (int row = 0; row < s.Rows(); ++row) {
        for (int v = 0; v < 3; ++v) {
            if (s.RowInChord(row) == 0) s.Note(row, channels[v], s.ChordAt(row).pad[v], kPad, volume);
            if (!pump) continue;
            if (row % 4 == 0) s.VolumeColumn(row, channels[v], 0x10 + volume - 20);
            if (row % 4 == 1) s.VolumeColumn(row, channels[v], kSlideUp | 4);
        }
    }
}

// The pluck runs through the sounding chord every `step` rows in the order `steps` (indices
// into the chord's arpeggio), `octave` octaves up, its volume moving from `from` to `to`.
void Arpeggio(Section& s, const std::vector<int>& steps, int step, int octave, int from, int to) {
    for (int row = 0, i = 0; row < s.Rows(); row += step, ++i) {
        const int note = s.ChordAt(row).arp[steps[i % steps.size()]] + 12 * octave;
        s.Note(row, kArpChannel, note, kPluck, from + (to - from) * row / s.Rows());
    }
}

void Crash(Section& s, int row, int volume) { s.Drum(row, kCrashChannel, kCrash, volume); }

// Drum bars.
const std::string kFourFloor = "X...X...X...X...";
const std::string kBackbeat = "....X.......X...";
const std::string kBackbeatGhost = "....X..g....X.g.";
const std::string kClosedHats = "xg.gxg.gxg.gxg.g"; // leaves the off-beats to the open hat
const std::string kOffbeat = "..x...x...x...x.";
const std::string kQuiet = "................";

// Bass figures, one bar each.
const char* const kBassHold = "R . . . . . . . . . . . . . . .";
const char* const kBassOffbeat = ". . R ^ . . R ^ . . R ^ . . R ^";
const char* const kBassGroove = "R . ^ R . ^ O ^ R ^ R O ^ . F ^";
const char* const kBassDrive = "R ^ O ^ R ^ O ^ R ^ O ^ R ^ O ^";

const std::vector<int> kUp = {0, 1, 2, 3};
const std::vector<int> kUpDown = {0, 1, 2, 3, 2, 1};

// 0.0 - 6.0 s: the pad swells in over a held bass, the pluck and soft hats join, a snare
// roll leads into the build.
XmPattern Intro() {
    Section s("intro", {{"Am", 16}, {"F", 16}, {"G", 16}});
    Pads(s, 28, false);
    BassLine(s, kBassHold, 30);
    Arpeggio(s, kUp, 2, 0, 8, 26);
    Hits(s, kHatChannel, kClosedHat, kQuiet + kOffbeat + kOffbeat, 70);
    Hits(s, kSnareChannel, kSnare, kQuiet + kQuiet + "............goxX", 100);
    return s.Take();
}

// 6.0 - 14.5 s: four on the floor and an off-beat bass under a rising 16th arpeggio; the
// snare enters halfway; the seventeenth beat is a snare fill.
XmPattern Build() {
    Section s("build", {{"Am", 16}, {"F", 16}, {"C", 16}, {"G", 20}});
    Crash(s, 0, 40);
    Pads(s, 26, false);
    BassLine(s, kBassOffbeat, 40);
    Arpeggio(s, kUp, 1, 0, 14, 34);
    Hits(s, kKickChannel, kKick, Repeat(kFourFloor, 4) + "....", 100);
    Hits(s, kSnareChannel, kSnare, kQuiet + kQuiet + kBackbeat + kBackbeat + "oxxX", 90);
    Hits(s, kHatChannel, kClosedHat, kOffbeat + kOffbeat + Repeat("xgxgxgxgxgxgxgxg", 2) + "....", 70);
    return s.Take();
}

// The theme, bars over Am F C G Am.
const char* const kThemeBars =
    "A4 . C5 . E5 . . . D5 . C5 . D5 . E5 . "
    "F5 . . . E5 . C5 . . . A4 . C5 . . . "
    "E5 . . . G5 . . . E5 . D5 . C5 . . . "
    "D5 . . . . . B4 . . . G4 . B4 . D5 . "
    "E5 . . . A5 . . . G5 . E5 . D5 . C5 . ";

// The full groove, bar after bar (`bars` whole bars, then `tail` more rows cut from a bar).
void FullDrums(Section& s, int bars, const std::string& kickTail, const std::string& snareTail,
               const std::string& hatTail, const std::string& openTail) {
    std::string snare;
    for (int i = 0; i < bars; ++i) snare += i % 2 ? kBackbeatGhost : kBackbeat;
    Hits(s, kKickChannel, kKick, Repeat(kFourFloor, bars) + kickTail, 100);
    Hits(s, kSnareChannel, kSnare, snare + snareTail, 100);
    Hits(s, kHatChannel, kClosedHat, Repeat(kClosedHats, bars) + hatTail, 85);
    Hits(s, kOpenHatChannel, kOpenHat, Repeat(kOffbeat, bars) + openTail, 60);
}

// 14.5 - 26.0 s: the full groove and the theme with its echo; a three-beat bar on E, with a
// snare fill, turns into the break.
XmPattern Main() {
    Section s("main", {{"Am", 16}, {"F", 16}, {"C", 16}, {"G", 16}, {"Am", 16}, {"E", 12}});
    Crash(s, 0, 40);
    Pads(s, 30, true);
    BassLine(s, kBassGroove, 42);
    FullDrums(s, 5, "X...X...X...", "....X...xxXX", "xg.gxg.gxg.g", "..x...x.....");
    const auto lead = Melody(s, kLeadChannel, kLead, std::string(kThemeBars) + "B4 . . . D5 . . . G#4 . . .", 40);
    Echo(s, lead, 3, 40);
    return s.Take();
}

// 26.0 - 35.0 s: the drums drop out; pads, an up-and-down arpeggio and a slow melody over
// F G Em Am; a half-time kick returns and a snare roll on E builds into the second main part.
XmPattern Break() {
    Section s("break", {{"F", 16}, {"G", 16}, {"Em", 16}, {"Am", 16}, {"E", 8}});
    Crash(s, 0, 36);
    Pads(s, 34, false);
    BassLine(s, kBassHold, 36);
    Arpeggio(s, kUpDown, 1, 0, 20, 28);
    Hits(s, kKickChannel, kKick, kQuiet + kQuiet + Repeat("X.......X.......", 2) + "X...X...", 80);
    Hits(s, kSnareChannel, kSnare, Repeat(kQuiet, 4) + "googxxXX", 100);
    Hits(s, kHatChannel, kClosedHat, kQuiet + kQuiet + kOffbeat + kOffbeat + "gogogogo", 64);
    const auto lead = Melody(s, kLeadChannel, kLead,
                             "A4 . . . . . . . C5 . . . . . . . "
                             "B4 . . . . . . . D5 . . . . . . . "
                             "E5 . . . . . . . . . . . D5 . . . "
                             "C5 . . . . . . . A4 . . . . . ^ . "
                             "B4 . . . G#4 . . .",
                             36);
    Echo(s, lead, 3, 45);
    return s.Take();
}

// 35.0 - 43.0 s: the groove returns with a driving octave bass and a variation of the theme.
XmPattern MainAgain() {
    Section s("main again", {{"Am", 16}, {"F", 16}, {"C", 16}, {"G", 16}});
    Crash(s, 0, 40);
    Pads(s, 30, true);
    BassLine(s, kBassDrive, 42);
    Arpeggio(s, kUp, 1, 1, 12, 16);
    FullDrums(s, 3, kFourFloor, "....X.......xxXX", kClosedHats, kOffbeat);
    const auto lead = Melody(s, kLeadChannel, kLead,
                             "E5 . . . A4 . C5 . E5 . D5 . C5 . A4 . "
                             "C5 . . . F5 . . . E5 . C5 . A4 . . . "
                             "G4 . C5 . E5 . . . G5 . . . E5 . . . "
                             "D5 . . . B4 . . . D5 . E5 . D5 . B4 . ",
                             40);
    Echo(s, lead, 3, 40);
    return s.Take();
}

// 43.0 - 55.0 s: the climax: the theme an octave up with a second voice, the arpeggio an
// octave up, a rising E bar and the resolution on A minor at 53 s.
XmPattern Finale() {
    Section s("finale", {{"Am", 16}, {"F", 16}, {"C", 16}, {"G", 16}, {"E", 16}, {"Am", 16}});
    Crash(s, 0, 44);
    Crash(s, 80, 44);
    Pads(s, 32, true);
    BassLine(s, kBassDrive, 44);
    Arpeggio(s, kUp, 1, 1, 16, 22);
    FullDrums(s, 4, kFourFloor + kFourFloor, "....X.......xxXX" + kBackbeat, kClosedHats + kClosedHats,
              kOffbeat + kOffbeat);
    const auto lead = Melody(s, kLeadChannel, kLead,
                             "A4 . C5 . E5 . . . A5 . . . G5 . E5 . "
                             "F5 . . . E5 . F5 . A5 . . . C6 . . . "
                             "G5 . . . E5 . . . C5 . E5 . G5 . . . "
                             "D5 . . . G5 . . . B5 . . . A5 . G5 . "
                             "E5 . . . G#5 . . . B5 . . . D6 . . . "
                             "C6 . . . . . . . B5 . A5 . . . . . ",
                             40);
    Harmony(s, lead, 26);
    return s.Take();
}

// 55.0 - 57.0 s: one bar on G, a falling pickup and a snare fill that lead back to the main
// part, where the song loops.
XmPattern Turnaround() {
    Section s("turnaround", {{"G", 16}});
    Pads(s, 30, true);
    BassLine(s, kBassDrive, 42);
    Arpeggio(s, kUp, 1, 1, 22, 26);
    Hits(s, kKickChannel, kKick, kFourFloor, 100);
    Hits(s, kSnareChannel, kSnare, "....X...x.x.xxXX", 100);
    Hits(s, kHatChannel, kClosedHat, kClosedHats, 85);
    Hits(s, kOpenHatChannel, kOpenHat, kOffbeat, 60);
    const auto lead = Melody(s, kLeadChannel, kLead, "^ . . . . . . . E5 . D5 . C5 . B4 .", 40);
    Echo(s, lead, 3, 40);
    return s.Take();
}

} // namespace

XmSong ComposeSong() {
    XmSong song;
    song.title = "LUMAR7";
    // With this tracker name and a space-padded title both players apply the same playback
    // rules and mix levels.
    song.tracker = "FastTracker v2.00";
    song.channels = kChannelCount;
    song.speed = kSpeed;
    song.bpm = kBpm;
    song.patterns = {Intro(), Build(), Main(), Break(), MainAgain(), Finale(), Turnaround()};
    song.orders = {0, 1, 2, 3, 4, 5, 6};
    song.restartOrder = 2; // the loop goes back to the first main part
    song.instruments = MakeInstruments();
    return song;
}

} // namespace xmgen
