#include "fake_sound.h"

#include <deque>
#include <map>

struct FMUSIC_MODULE {
    int index;
};

namespace {

constexpr int FakeSongCount = 16;
FMUSIC_MODULE FakeSongs[FakeSongCount] = {{0},  {1},  {2},  {3},  {4},  {5},  {6},  {7},
                                          {8},  {9},  {10}, {11}, {12}, {13}, {14}, {15}};

struct FakeSoundState {
    float version = FMOD_VERSION;
    int lastError = FMOD_ERR_NONE;
    int songsLoaded = 0;
    std::map<SoundCall, std::deque<int>> failures;
    std::vector<FakeSoundCall> calls;
};

// Never destroyed: the program's static music player still calls in during exit.
FakeSoundState& State() {
    static FakeSoundState* state = new FakeSoundState;
    return *state;
}

FakeSoundCall& Record(SoundCall call) {
    State().calls.emplace_back();
    State().calls.back().call = call;
    return State().calls.back();
}

// True when a failure of this call is scripted: consumes it and sets the error code.
bool TakeFailure(SoundCall call) {
    std::deque<int>& queued = State().failures[call];
    if (queued.empty()) return false;
    State().lastError = queued.front();
    queued.pop_front();
    return true;
}

}  // namespace

void ResetFakeSound() { State() = FakeSoundState(); }

void SetFakeSoundVersion(float version) { State().version = version; }

void FailNextFakeSoundCall(SoundCall call, int errorCode) {
    State().failures[call].push_back(errorCode);
}

FMUSIC_MODULE* FakeSoundSong(int n) { return &FakeSongs[n % FakeSongCount]; }

const std::vector<FakeSoundCall>& FakeSoundCalls() { return State().calls; }

std::vector<std::string> FakeSoundCallNames() {
    static const std::map<SoundCall, const char*> names = {
        {SoundCall::GetVersion, "FSOUND_GetVersion"}, {SoundCall::Init, "FSOUND_Init"},
        {SoundCall::Close, "FSOUND_Close"},           {SoundCall::GetError, "FSOUND_GetError"},
        {SoundCall::LoadSong, "FMUSIC_LoadSong"},     {SoundCall::PlaySong, "FMUSIC_PlaySong"},
        {SoundCall::FreeSong, "FMUSIC_FreeSong"},
    };
    std::vector<std::string> result;
    for (const FakeSoundCall& call : State().calls) result.push_back(names.at(call.call));
    return result;
}

extern "C" {

float FSOUND_GetVersion(void) {
    Record(SoundCall::GetVersion);
    return State().version;
}

signed char FSOUND_Init(int mixRate, int maxSoftwareChannels, unsigned int flags) {
    FakeSoundCall& call = Record(SoundCall::Init);
    call.mixRate = mixRate;
    call.maxSoftwareChannels = maxSoftwareChannels;
    call.flags = flags;
    return TakeFailure(SoundCall::Init) ? 0 : 1;
}

void FSOUND_Close(void) { Record(SoundCall::Close); }

int FSOUND_GetError(void) {
    Record(SoundCall::GetError);
    return State().lastError;
}

FMUSIC_MODULE* FMUSIC_LoadSong(const char* name) {
    FakeSoundCall& call = Record(SoundCall::LoadSong);
    call.pathGiven = name != nullptr;
    if (name != nullptr) call.path = name;
    if (TakeFailure(SoundCall::LoadSong)) return nullptr;
    call.song = FakeSoundSong(State().songsLoaded++);
    return call.song;
}

signed char FMUSIC_PlaySong(FMUSIC_MODULE* module) {
    Record(SoundCall::PlaySong).song = module;
    return TakeFailure(SoundCall::PlaySong) ? 0 : 1;
}

signed char FMUSIC_FreeSong(FMUSIC_MODULE* module) {
    Record(SoundCall::FreeSong).song = module;
    return TakeFailure(SoundCall::FreeSong) ? 0 : 1;
}

}  // extern "C"
