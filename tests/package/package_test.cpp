// The Debian package of this build, as a user gets it: what it holds and declares, and its veskop
// command run from the folder root it was unpacked into, under an Xvfb server of the test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "scene_checks.h"
#include "veskop_run.h"
#include "x_server.h"

namespace {

// The one package of this version that cpack made; empty when there is not exactly one.
std::string PackageFile() {
    const std::string prefix = std::string("veskop_") + VESKOP_VERSION + "_";
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(VESKOP_PACKAGE_FOLDER, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0 && entry.path().extension() == ".deb") found.push_back(entry.path());
    }
    return found.size() == 1 ? found[0] : std::string();
}

// The names of the packages a Depends field lists, alternatives included, versions left out.
std::set<std::string> DependencyNames(const std::string& field) {
    std::set<std::string> names;
    std::string item;
    std::istringstream items(field);
    while (std::getline(items, item, ',')) {
        std::istringstream alternatives(item);
        std::string alternative;
        while (std::getline(alternatives, alternative, '|')) {
            std::istringstream words(alternative);
            std::string name;
            if (words >> name) names.insert(name);
        }
    }
    return names;
}

// The value of key in a desktop entry's text; empty when it has none.
std::string DesktopValue(const std::string& text, const std::string& key) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    }
    return "";
}

class VeskopPackage : public testing::Test {
protected:
    void SetUp() override {
        package_ = PackageFile();
        ASSERT_FALSE(package_.empty()) << "no single veskop_" << VESKOP_VERSION << "_*.deb in "
                                       << VESKOP_PACKAGE_FOLDER;
        root_ = MakeTemporaryDirectory("veskop-root-");
        ASSERT_FALSE(root_.empty());
        CommandResult unpacked = RunCommand({"dpkg-deb", "--extract", package_, root_});
        ASSERT_EQ(0, unpacked.status) << unpacked.errors;
        command_ = root_ + "/usr/bin/veskop";
    }
    void TearDown() override {
        std::error_code ignored;
        if (!root_.empty()) std::filesystem::remove_all(root_, ignored);
    }

    std::string package_;
    std::string root_;  // the folder root it was unpacked into
    std::string command_;
};

TEST_F(VeskopPackage, HoldsTheCommandsTheProgramsTheirDataADesktopEntryAndIconsAndNothingElse) {
    CommandResult fields = RunCommand({"dpkg-deb", "--field", package_, "Package", "Version", "Section"});
    EXPECT_EQ(std::string("Package: veskop\nVersion: ") + VESKOP_VERSION + "\nSection: games\n", fields.output);
    // The libraries it links, and the OpenGL library that SDL loads by itself.
    CommandResult depends = RunCommand({"dpkg-deb", "--field", package_, "Depends"});
    std::set<std::string> names = DependencyNames(depends.output);
    for (const char* name : {"libsdl2-2.0-0", "libopenmpt0", "libpng16-16", "libglu1-mesa", "libgl1"}) {
        EXPECT_EQ(1u, names.count(name)) << name << " missing from: " << depends.output;
    }
    // veskop-capture encodes through the ffmpeg command.
    CommandResult recommends = RunCommand({"dpkg-deb", "--field", package_, "Recommends"});
    EXPECT_EQ("ffmpeg\n", recommends.output);

    CommandResult listing = RunCommand({"dpkg-deb", "--contents", package_});
    ASSERT_EQ(0, listing.status) << listing.errors;
    std::vector<std::string> files;  // "-rwxr-xr-x ./usr/bin/veskop"
    std::istringstream lines(listing.output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string mode, owner, size, date, time, path;
        if (words >> mode >> owner >> size >> date >> time >> path && mode[0] != 'd') {
            files.push_back(mode + " " + path);
        }
    }
    std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
        return a.substr(11) < b.substr(11);
    });
    const std::vector<std::string> expected = {
        "-rwxr-xr-x ./usr/bin/veskop",
        "-rwxr-xr-x ./usr/bin/veskop-capture",
        "-rwxr-xr-x ./usr/libexec/veskop/veskop",
        "-rwxr-xr-x ./usr/libexec/veskop/veskop-capture",
        "-rw-r--r-- ./usr/share/applications/veskop.desktop",
        "-rw-r--r-- ./usr/share/icons/hicolor/256x256/apps/veskop.png",
        "-rw-r--r-- ./usr/share/icons/hicolor/48x48/apps/veskop.png",
        "-rw-r--r-- ./usr/share/veskop/data/LUMAR7.XM",
        "-rw-r--r-- ./usr/share/veskop/data/alphabetGeorgia.png",
        "-rw-r--r-- ./usr/share/veskop/data/pizza2.png",
        "-rw-r--r-- ./usr/share/veskop/data/sovepose2.png",
        "-rw-r--r-- ./usr/share/veskop/data/startlogo2.png",
        "-rw-r--r-- ./usr/share/veskop/data/vardlum.png",
    };
    EXPECT_EQ(expected, files);

    const std::string entry = root_ + "/usr/share/applications/veskop.desktop";
    CommandResult validation = RunCommand({"desktop-file-validate", entry});
    EXPECT_EQ(0, validation.status) << validation.output << validation.errors;
    EXPECT_EQ("", validation.output);
    const std::string text = ReadFile(entry);
    EXPECT_TRUE(std::filesystem::exists(root_ + "/usr/bin/" + DesktopValue(text, "Exec"))) << text;
    EXPECT_TRUE(std::filesystem::exists(root_ + "/usr/share/icons/hicolor/48x48/apps/" +
                                        DesktopValue(text, "Icon") + ".png")) << text;
}

TEST_F(VeskopPackage, ItsCommandRunsTheShowFromAnyFolderAndThroughALink) {
    XvfbServer server(640, 480);
    ASSERT_TRUE(server.ok());
    // A link to the command in a folder of its own, as on a PATH; started from an unrelated
    // folder without data/.
    const std::string links = MakeTemporaryDirectory("veskop-links-");
    ASSERT_FALSE(links.empty());
    std::error_code error;
    std::filesystem::create_symlink(command_, links + "/veskop", error);
    ASSERT_FALSE(error) << error.message();
    WorkingFolder elsewhere(WorkingFolder::Empty);
    ASSERT_TRUE(elsewhere.ok());
    VeskopOptions options;
    options.program = links + "/veskop";
    options.workingDirectory = elsewhere.path();
    std::unique_ptr<ChildProcess> veskop;
    ASSERT_NO_FATAL_FAILURE(RunToTheCubeAndEscape(server, options, &veskop));
    EXPECT_EQ(27, veskop->ExitStatus());
    FrameLines frames = ParseFrameLines(veskop->Output());
    EXPECT_EQ("", frames.problem);
    EXPECT_GT(frames.ticks.size(), 10u);
    EXPECT_EQ("", veskop->Errors());
    std::filesystem::remove_all(links, error);
}

// Started from a folder without data/, with no display, the installed veskop-capture finds its
// data and writes the contact sheet where a relative path names it, from that folder.
TEST_F(VeskopPackage, ItsCaptureCommandWritesWhereItIsStartedFrom) {
    WorkingFolder elsewhere(WorkingFolder::Empty);
    ASSERT_TRUE(elsewhere.ok());
    ChildOptions options;
    options.workingDirectory = elsewhere.path();
    options.unsetEnvironment = {"DISPLAY", "WAYLAND_DISPLAY"};
    CommandResult run = RunCommand(
        {root_ + "/usr/bin/veskop-capture", "--fps", "1", "--size", "160x120", "--sheet", "sheet.png"},
        options, 60.0);
    EXPECT_EQ(0, run.status) << run.errors;
    Screenshot sheet = Screenshot::Read(elsewhere.File("sheet.png"));
    ASSERT_TRUE(sheet.ok());
    EXPECT_GT(sheet.LitPixels(0, 0, sheet.width, sheet.height), sheet.width * sheet.height / 4);
}

TEST_F(VeskopPackage, ItsCommandSaysWhichDataFolderIsMissingAndEndsWith1) {
    std::filesystem::remove_all(root_ + "/usr/share/veskop/data");
    CommandResult run = RunCommand({command_});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ("veskop: the data folder " + root_ + "/usr/share/veskop/data is missing\n", run.errors);
    EXPECT_EQ("", run.output);
}

}  // namespace
