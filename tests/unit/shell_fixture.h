// Fixture of the shell tests: program globals, the fake and the stubs as at process start.
#ifndef VESKOP_TEST_SHELL_FIXTURE_H
#define VESKOP_TEST_SHELL_FIXTURE_H

#include "fake_win32.h"
#include "program_stubs.h"
#include "shell_harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        stubs::Reset();
    }
};

// The recorded calls of one function, as text ("ReleaseDC(hwnd1, hdc1)").
inline std::vector<std::string> CallTexts(const char* name) {
    std::vector<std::string> texts;
    for (const fakewin32::Call& call : fakewin32::CallsNamed(name)) texts.push_back(call.Text());
    return texts;
}

#endif
