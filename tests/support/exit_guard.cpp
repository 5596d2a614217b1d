// Compiled into every test program: a process that ends while its tests run fails. Code under
// test that calls exit(0) would otherwise end the program with status 0 before GoogleTest
// reports anything, and CTest would count the test as passed. The child process of a death test
// is meant to end, and is left alone.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool TestsRunning = false;
std::string CurrentTest;  // "Suite.Name" between the start and the end of a test, else empty

class ExitGuard : public testing::EmptyTestEventListener {
    void OnTestProgramStart(const testing::UnitTest&) override { TestsRunning = true; }
    void OnTestStart(const testing::TestInfo& test) override {
        CurrentTest = std::string(test.test_suite_name()) + "." + test.name();
    }
    void OnTestEnd(const testing::TestInfo&) override { CurrentTest.clear(); }
    void OnTestProgramEnd(const testing::UnitTest&) override { TestsRunning = false; }
};

// Runs at exit, after the handlers that the code under test registered later (the display's
// clean-up, say).
void FailAnEarlyExit() {
    if (!TestsRunning || testing::internal::InDeathTestChild()) return;
    std::fflush(stdout);
    std::fprintf(stderr, "\nThe process ended %s%s, before its tests had finished: a failure.\n",
                 CurrentTest.empty() ? "between tests" : "during ", CurrentTest.c_str());
    std::fflush(stderr);
    _exit(1);
}

const bool Installed = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new ExitGuard);
    std::atexit(FailAnEarlyExit);
    return true;
}();

}  // namespace
