// Sound output over winmm's waveOut: a few device buffers stay queued, and a thread of the
// library's own mixes each one again as the device hands it back.
//
// Everything here is plain data without a destructor, so that the sound library can still close
// the output from an exit-time destructor, whatever was destroyed before it.
#include "sound_output.h"

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <mutex>

namespace {

// Queued at once: four buffers of about 23 ms at 44100 Hz, enough to ride out a busy moment of
// the program's thread, which never sleeps.
constexpr int BufferCount = 4;
// Frames of the largest buffer, at the highest rate the library takes (192000 Hz).
constexpr int MaxBufferFrames = 4096;

HWAVEOUT Device = nullptr;       // null when closed
HANDLE BufferReturned = nullptr; // auto-reset event: the device finished a buffer (or opened)
HANDLE Refiller = nullptr;       // the thread that mixes returned buffers; null when closed
std::atomic<bool> Stopping{false};
std::mutex MixerLock;            // held around every use of the mixer while open
SongMixer* Mixer = nullptr;      // set while open
int Rate = 0;                    // Hz, while open
int BufferFrames = 0;            // frames per buffer, while open

WAVEHDR Headers[BufferCount];
std::int16_t Samples[BufferCount][MaxBufferFrames * 2];  // interleaved stereo

// Mixes buffer i afresh and hands it to the device.
void QueueBuffer(int i) {
    {
        std::lock_guard<std::mutex> hold(MixerLock);
        MixOutput(Mixer, Samples[i], BufferFrames);
    }
    Headers[i].dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
    waveOutWrite(Device, &Headers[i], sizeof(WAVEHDR));
}

DWORD WINAPI RefillReturnedBuffers(LPVOID) {
    for (;;) {
        WaitForSingleObject(BufferReturned, INFINITE);
        if (Stopping.load()) return 0;
        for (int i = 0; i < BufferCount; i++) {
            if (Headers[i].dwFlags & WHDR_DONE) QueueBuffer(i);
        }
    }
}

void ReleaseBuffers() {
    for (WAVEHDR& header : Headers) {
        if (header.dwFlags & WHDR_PREPARED) {
            waveOutUnprepareHeader(Device, &header, sizeof(WAVEHDR));
        }
        header = WAVEHDR{};
    }
}

}  // namespace

bool OpenSoundOutput(int rate, SongMixer* mixer) {
    if (Device != nullptr) return false;
    const int frames = DeviceBufferFrames(rate);
    if (frames > MaxBufferFrames) return false;
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = static_cast<DWORD>(rate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = 2 * sizeof(std::int16_t);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;

    BufferReturned = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (BufferReturned == nullptr) return false;
    if (waveOutOpen(&Device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(BufferReturned), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        Device = nullptr;
        CloseHandle(BufferReturned);
        BufferReturned = nullptr;
        return false;
    }
    Mixer = mixer;
    Rate = rate;
    BufferFrames = frames;
    for (int i = 0; i < BufferCount; i++) {
        Headers[i] = WAVEHDR{};
        Headers[i].lpData = reinterpret_cast<LPSTR>(Samples[i]);
        Headers[i].dwBufferLength = static_cast<DWORD>(frames * format.nBlockAlign);
        if (waveOutPrepareHeader(Device, &Headers[i], sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
            CloseSoundOutput();
            return false;
        }
    }
    Stopping = false;
    // Before the thread starts, the mixer is this thread's alone: the first buffers are queued
    // here, silent until a song plays.
    for (int i = 0; i < BufferCount; i++) QueueBuffer(i);
    Refiller = CreateThread(nullptr, 0, RefillReturnedBuffers, nullptr, 0, nullptr);
    if (Refiller == nullptr) {
        CloseSoundOutput();
        return false;
    }
    // Above the program's thread, which draws flat out: the device must not run dry.
    SetThreadPriority(Refiller, THREAD_PRIORITY_HIGHEST);
    return true;
}

void CloseSoundOutput() {
    if (Device == nullptr) return;
    if (Refiller != nullptr) {
        Stopping = true;
        SetEvent(BufferReturned);
        WaitForSingleObject(Refiller, INFINITE);
        CloseHandle(Refiller);
        Refiller = nullptr;
    }
    waveOutReset(Device);  // hands every queued buffer back
    ReleaseBuffers();
    waveOutClose(Device);
    CloseHandle(BufferReturned);
    Device = nullptr;
    BufferReturned = nullptr;
    Mixer = nullptr;
}

bool SoundOutputOpen() { return Device != nullptr; }

bool SoundOutputRunsAlone() { return Refiller != nullptr; }

void LockSoundOutput() {
    if (SoundOutputOpen()) MixerLock.lock();
}

void UnlockSoundOutput() {
    if (SoundOutputOpen()) MixerLock.unlock();
}

int SoundOutputBufferMs() { return Rate > 0 ? 1000 * BufferFrames / Rate : 0; }
