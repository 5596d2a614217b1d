#include "capture/output_files.h"

#include "capture/leftovers.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

namespace {

const char TemporaryPrefix[] = ".veskop-capture-";
const char LockKind[] = "lock";
const int HashDigits = 16, OwnerDigits = 8;  // hexadecimal

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string InFolder(const std::string& folder, const std::string& name) {
    return (folder == "/" ? "" : folder) + "/" + name;
}

std::string Hex(std::uint64_t value, int digits) {
    char text[17];
    std::snprintf(text, sizeof(text), "%0*llx", digits, static_cast<unsigned long long>(value));
    return text;
}

// 64-bit FNV-1a: a short, fixed-length stand-in for a name of any length.
std::uint64_t NameHash(const std::string& name) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : name) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string Because(const std::string& path, const char* why) {
    return "cannot write " + path + ": " + why;
}

// The temporaries of the captures of one output, by their owner's stem (the name up to ".KIND").
std::map<std::string, std::vector<std::string>> TemporariesIn(const std::string& folder,
                                                              const std::string& prefix) {
    std::map<std::string, std::vector<std::string>> byOwner;
    DIR* directory = opendir(folder.c_str());
    if (directory == nullptr) return byOwner;
    const size_t stemLength = prefix.size() + OwnerDigits;
    while (const dirent* entry = readdir(directory)) {
        std::string name = entry->d_name;
        if (name.size() > stemLength + 1 && name.compare(0, prefix.size(), prefix) == 0 &&
            name[stemLength] == '.') {
            byOwner[name.substr(0, stemLength)].push_back(name);
        }
    }
    closedir(directory);
    return byOwner;
}

// Removes the temporaries of every capture of the output whose lock file nothing holds: its
// capture has died. The lock is taken before anything is removed, so a capture that lives keeps
// all it has; one that has just made its lock file and not yet locked it finds the file gone once
// it has the lock, and makes it again (ClaimTemporaries).
void RemoveDeadCaptures(const std::string& folder, const std::string& prefix) {
    for (const auto& owner : TemporariesIn(folder, prefix)) {
        const std::string lockName = owner.first + "." + LockKind;
        const std::string lockPath = InFolder(folder, lockName);
        int lock = open(lockPath.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        if (lock < 0 && errno != ENOENT) continue;  // not ours to judge
        if (lock >= 0 && flock(lock, LOCK_EX | LOCK_NB) != 0) {
            close(lock);  // a capture that lives
            continue;
        }
        for (const std::string& name : owner.second) {
            if (name != lockName) unlink(InFolder(folder, name).c_str());
        }
        if (lock >= 0) {
            unlink(lockPath.c_str());
            close(lock);
        }
    }
}

}  // namespace

bool CheckOutputPath(const std::string& path, std::string* problem) {
    struct stat info;
    if (stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            *problem = Because(path, "it is a folder");
            return false;
        }
        if (!S_ISREG(info.st_mode)) {
            *problem = Because(path, "it is not a regular file (a device, a FIFO or a socket), "
                                     "which the capture does not replace; give a file's path");
            return false;
        }
        return true;
    }
    if (errno != ENOENT) {
        *problem = Because(path, std::strerror(errno));
        return false;
    }
    // Absent: its folder must be there for the temporaries (a folder that is a file has given
    // ENOTDIR above).
    struct stat folder;
    if (stat(FolderOf(path).c_str(), &folder) != 0) {
        *problem = Because(path, std::strerror(errno));
        return false;
    }
    return true;
}

bool SameOutputEntry(const std::string& first, const std::string& second) {
    if (NameOf(first) != NameOf(second)) return false;
    struct stat a, b;
    if (stat(FolderOf(first).c_str(), &a) != 0 || stat(FolderOf(second).c_str(), &b) != 0) {
        return first == second;
    }
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool ClaimTemporaries(const std::string& output, OutputTemporaries* temporaries,
                      std::string* problem) {
    const std::string folder = FolderOf(output);
    const std::string prefix = TemporaryPrefix + Hex(NameHash(NameOf(output)), HashDigits) + "-";
    RemoveDeadCaptures(folder, prefix);
    const std::string stem =
        InFolder(folder, prefix + Hex(static_cast<std::uint64_t>(getpid()), OwnerDigits));
    const std::string lockPath = stem + "." + LockKind;
    // Twice at most: a second time only after another capture's clean-up took the new lock file
    // for a dead capture's.
    for (int attempt = 0; attempt < 2; attempt++) {
        if (!AddLeftoverFile(lockPath, true)) {
            *problem = Because(lockPath, "the path is too long");
            return false;
        }
        int lock = open(lockPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (lock < 0) {
            *problem = Because(lockPath, std::strerror(errno));
            ForgetLeftoverFile(lockPath);
            return false;
        }
        if (flock(lock, LOCK_EX) != 0) {
            *problem = Because(lockPath, std::strerror(errno));
            close(lock);
            return false;  // the file stays remembered: the failure's clean-up removes it
        }
        struct stat info;
        if (fstat(lock, &info) == 0 && info.st_nlink > 0) {
            temporaries->stem = stem;
            temporaries->lock = lock;
            return true;
        }
        close(lock);
        ForgetLeftoverFile(lockPath);
    }
    *problem = Because(lockPath, "another capture keeps removing it");
    return false;
}

std::string TemporaryPath(const OutputTemporaries& temporaries, const char* kind) {
    return temporaries.stem + "." + kind;
}

bool StillReplaceable(const std::string& path, std::string* problem) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)) {
        return true;
    }
    *problem = Because(path, S_ISDIR(info.st_mode)
                                 ? "it has become a folder"
                                 : "it has become something that is not a regular file");
    return false;
}
