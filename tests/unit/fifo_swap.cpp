#include "fifo_swap.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Replaces path by a link to target in one step: readers see the old link or the new one.
void PointAt(const std::string& path, const std::string& target) {
    const std::string fresh = path + ".new";
    std::remove(fresh.c_str());
    if (symlink(target.c_str(), fresh.c_str()) == 0) std::rename(fresh.c_str(), path.c_str());
}

}  // namespace

double LongestLoadWhileSwappingInFifo(const std::string& pathPrefix,
                                      const std::function<void(const char* path)>& load,
                                      double seconds) {
    const std::string regular = pathPrefix + "regular";
    const std::string fifo = pathPrefix + "fifo";
    const std::string path = pathPrefix + "swapped";
    std::ofstream(regular, std::ios::binary) << "no known format";
    mkfifo(fifo.c_str(), 0600);
    PointAt(path, regular);

    std::atomic<bool> done{false};
    std::thread swapper([&] {
        while (!done) {
            PointAt(path, fifo);
            PointAt(path, regular);
        }
    });
    // Once the loads should have ended, a writer that comes and goes wakes an open that waits
    // for one; the loader then reads an empty file.
    std::thread releaser([&] {
        const auto start = std::chrono::steady_clock::now();
        while (!done) {
            if (SecondsSince(start) > seconds + 1.0) {
                const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
                if (writer >= 0) close(writer);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });

    double longest = 0.0;
    const auto start = std::chrono::steady_clock::now();
    while (SecondsSince(start) < seconds) {
        const auto call = std::chrono::steady_clock::now();
        load(path.c_str());
        longest = std::max(longest, SecondsSince(call));
    }
    done = true;
    swapper.join();
    releaser.join();
    for (const std::string& made : {path, regular, fifo}) std::remove(made.c_str());
    return longest;
}
