// A substitute host with the real module loaded, for tests that drive the
// plug-in through PluginMain. Every test ends with the module shut down and
// checks that nothing leaked: blocks, hit references, suite holds.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "simhost/Host.h"

namespace simhost_test {

struct Line {
    Point start;
    Point end;
};

// The module and resource files as the build made them; empty reason when both exist.
std::string MissingBuildOutputs();

// A folder of its own for one test, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

class HostTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Loads the module with `resources` (empty: the build's TraxTool.res).
    // Fails the test when it cannot be loaded.
    void LoadModule(const std::filesystem::path& resources = {});
    // Loads the module, then sends "Startup" and expects it to succeed.
    void StartModule();

    // The lines the tool drew, in paint order.
    std::vector<Line> Lines() const;
    // Expects the document to hold one line, starting exactly at `start`.
    void ExpectOneLineFrom(Point start) const;
    // The trace records of `suite` since the last ClearTrace.
    std::vector<simhost::TraceRecord> CallsOf(const std::string& suite) const;

    std::unique_ptr<simhost::Host> host;
    bool started = false;
};

// Runs the simhost program with `arguments` (quoted as the shell needs),
// standard output and error going to DIR/stdout.txt and DIR/stderr.txt;
// *err receives the error output. Returns the exit status.
int RunProgram(const std::string& arguments, const std::filesystem::path& dir, std::string* err);
// A whole file as text; empty when it cannot be read.
std::string ReadText(const std::filesystem::path& path);

// What the module's error list 16050 says for a code entry: the message that
// follows the entry, or (not named) the list's last message.
struct ErrorListLookup {
    std::string text;
    bool named = false;
};
ErrorListLookup ModuleErrorMessage(const simhost::ResourceSource& resources, const std::string& codeEntry);

// The texts of a box's items that have an id, by id.
std::map<int32_t, std::string> TextsById(const simhost::ClosedBox& box);

// The module started over a document of one layer, "Art".
class StartedHostTest : public HostTest {
protected:
    void SetUp() override;
};

// Why the simhost program cannot be run (it or the module is not built); empty when it can.
std::string MissingProgram();

// Direction in degrees and length of a line.
double DirectionDegrees(const Line& line);
double Length(const Line& line);

}  // namespace simhost_test
