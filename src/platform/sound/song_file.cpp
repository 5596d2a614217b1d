// Module files: read whole into memory (bounded), an XM's layout checked, recognised and decoded
// by libopenmpt.
#include "sound_internal.h"

#include <libopenmpt/libopenmpt.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "regular_file.h"

namespace {

struct FileBytes {
    unsigned char* data;  // malloc'd, owned by the caller
    size_t size;
};

// Reads the whole file in growing steps, holding at most MaxSongFileBytes + 1 bytes, so a file
// that grows while it is read cannot exhaust memory. Returns an FMOD_ERRORS code.
int ReadFileBytes(std::FILE* file, FileBytes* bytes) {
    size_t capacity = 64 * 1024;
    unsigned char* data = static_cast<unsigned char*>(std::malloc(capacity));
    if (data == nullptr) return FMOD_ERR_MEMORY;
    size_t size = 0;
    for (;;) {
        size += std::fread(data + size, 1, capacity - size, file);
        if (size < capacity) break;
        if (capacity > size_t(MaxSongFileBytes)) {  // MaxSongFileBytes + 1 read: too large
            std::free(data);
            return FMOD_ERR_MEMORY;
        }
        size_t grown = capacity * 2;
        if (grown > size_t(MaxSongFileBytes) + 1) grown = size_t(MaxSongFileBytes) + 1;
        unsigned char* larger = static_cast<unsigned char*>(std::realloc(data, grown));
        if (larger == nullptr) {
            std::free(data);
            return FMOD_ERR_MEMORY;
        }
        data = larger;
        capacity = grown;
    }
    if (std::ferror(file)) {
        std::free(data);
        return FMOD_ERR_FILE_BAD;
    }
    bytes->data = data;
    bytes->size = size;
    return FMOD_ERR_NONE;
}

int OpenFailureCode(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
        return FMOD_ERR_FILE_NOT_FOUND;
    case ENOMEM:
        return FMOD_ERR_MEMORY;
    default:
        return FMOD_ERR_FILE_BAD;  // not a regular file, or it cannot be opened (permissions, ...)
    }
}

// Opens path for reading if it is a regular file (a FIFO or a device is refused at once) no
// larger than MaxSongFileBytes; returns an FMOD_ERRORS code.
int OpenSongFileBytes(const char* path, std::FILE** opened) {
    errno = 0;
    long long size = 0;
    std::FILE* file = OpenRegularFile(path, &size);
    if (file == nullptr) return OpenFailureCode(errno);
    if (size > MaxSongFileBytes) {  // refused before anything is read
        std::fclose(file);
        return FMOD_ERR_MEMORY;
    }
    *opened = file;
    return FMOD_ERR_NONE;
}

// Decodes bytes into a module, keeping libopenmpt's messages off the standard streams.
int DecodeModule(const FileBytes& bytes, openmpt_module** module) {
    if (bytes.size == 0) return FMOD_ERR_FILE_FORMAT;
    const int layout = CheckXmLayout(bytes.data, bytes.size);
    if (layout != FMOD_ERR_NONE) return layout;
    size_t probeSize = openmpt_probe_file_header_get_recommended_size();
    if (probeSize > bytes.size) probeSize = bytes.size;
    const int probe = openmpt_probe_file_header(
        OPENMPT_PROBE_FILE_HEADER_FLAGS_DEFAULT, bytes.data, probeSize, bytes.size,
        openmpt_log_func_silent, nullptr, openmpt_error_func_ignore, nullptr, nullptr, nullptr);
    if (probe == OPENMPT_PROBE_FILE_HEADER_RESULT_FAILURE) return FMOD_ERR_FILE_FORMAT;

    int error = OPENMPT_ERROR_OK;
    openmpt_module* decoded = openmpt_module_create_from_memory2(
        bytes.data, bytes.size, openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
        nullptr, &error, nullptr, nullptr);
    if (decoded == nullptr) {
        if (error == OPENMPT_ERROR_OUT_OF_MEMORY) return FMOD_ERR_MEMORY;
        return probe == OPENMPT_PROBE_FILE_HEADER_RESULT_SUCCESS ? FMOD_ERR_FILE_BAD
                                                                 : FMOD_ERR_FILE_FORMAT;
    }
    // A module whose order list leads nowhere has no length; looping it would play silence.
    if (!(openmpt_module_get_duration_seconds(decoded) > 0.0)) {
        openmpt_module_destroy(decoded);
        return FMOD_ERR_FILE_BAD;
    }
    openmpt_module_set_repeat_count(decoded, -1);
    *module = decoded;
    return FMOD_ERR_NONE;
}

}  // namespace

int OpenSongFile(const char* path, FMUSIC_MODULE** song) {
    if (path == nullptr) return FMOD_ERR_INVALID_PARAM;
    std::FILE* file = nullptr;
    const int opened = OpenSongFileBytes(path, &file);
    if (opened != FMOD_ERR_NONE) return opened;
    FileBytes bytes = {nullptr, 0};
    int code = ReadFileBytes(file, &bytes);
    std::fclose(file);
    if (code != FMOD_ERR_NONE) return code;

    openmpt_module* module = nullptr;
    code = DecodeModule(bytes, &module);
    std::free(bytes.data);  // libopenmpt keeps its own copy of what it needs
    if (code != FMOD_ERR_NONE) return code;

    FMUSIC_MODULE* created = static_cast<FMUSIC_MODULE*>(std::malloc(sizeof(FMUSIC_MODULE)));
    if (created == nullptr) {
        openmpt_module_destroy(module);
        return FMOD_ERR_MEMORY;
    }
    created->module = module;
    created->nextLoaded = nullptr;
    *song = created;
    return FMOD_ERR_NONE;
}

void CloseSongFile(FMUSIC_MODULE* song) {
    if (song == nullptr) return;
    openmpt_module_destroy(song->module);
    std::free(song);
}
