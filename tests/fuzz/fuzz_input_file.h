// The fuzzer's input as a file, for readers that take a path: a memory file (memfd) rewritten for
// each input and named by its /proc/self/fd path. Nothing touches the disk.
#ifndef VESKOP_FUZZ_INPUT_FILE_H
#define VESKOP_FUZZ_INPUT_FILE_H

#include <cstddef>
#include <cstdint>

// The path of a file that holds exactly these bytes until the next call. Aborts when the memory
// file cannot be made or written: the fuzzer would test nothing.
const char* FuzzInputFile(const std::uint8_t* data, std::size_t size);

#endif
