#include "HostFixture.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <sstream>

#if !defined(_WIN32)
#include <sys/wait.h>
#endif

namespace simhost_test {

std::string MissingBuildOutputs() {
    for (const char* path : {TRAX_MODULE_PATH, TRAX_RESOURCES_PATH}) {
        if (!std::filesystem::exists(path)) return std::string(path) + " has not been built";
    }
    return {};
}

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("simhost-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
             std::to_string(reinterpret_cast<uintptr_t>(this)) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void HostTest::SetUp() {
    const std::string missing = MissingBuildOutputs();
    if (!missing.empty()) GTEST_SKIP() << missing;
    host = std::make_unique<simhost::Host>();
}

void HostTest::TearDown() {
    if (host == nullptr) return;
    if (host->Loaded() && started) {
        host->ClearFaults();
        EXPECT_EQ(host->Shutdown(), 0) << "shutdown at the end of the test";
    }
    if (started) {
        EXPECT_EQ(host->LiveBlocks(), 0u) << "host blocks still allocated";
    }
    EXPECT_EQ(host->OutstandingHits(), 0u) << "hit references never released";
    EXPECT_EQ(host->SuiteHolds(), 0) << "suites acquired and never released";
    EXPECT_EQ(host->UnimplementedCalls(), 0) << "the module called a host entry no Part names";
    host.reset();
}

void HostTest::LoadModule(const std::filesystem::path& resources) {
    std::string error;
    ASSERT_TRUE(host->Load(TRAX_MODULE_PATH, resources.empty() ? std::filesystem::path(TRAX_RESOURCES_PATH) : resources,
                           &error))
        << error;
}

void HostTest::StartModule() {
    LoadModule();
    ASSERT_EQ(host->Startup(), 0) << "startup";
    started = true;
}

void StartedHostTest::SetUp() {
    HostTest::SetUp();
    if (host == nullptr) return;
    host->document().AddLayer("Art");
    StartModule();
}

std::string MissingProgram() {
    if (!std::filesystem::exists(SIMHOST_PROGRAM_PATH)) return std::string(SIMHOST_PROGRAM_PATH) + " has not been built";
    return MissingBuildOutputs();
}

std::vector<Line> HostTest::Lines() const {
    std::vector<Line> lines;
    for (const auto& [layer, art] : host->document().ArtsInPaintOrder()) {
        if (!art->madeByPlugin) continue;
        EXPECT_EQ(art->segments.size(), 2u) << "art " << art->id;
        if (art->segments.size() != 2) continue;
        lines.push_back(Line{art->segments[0].point, art->segments[1].point});
    }
    return lines;
}

void HostTest::ExpectOneLineFrom(Point start) const {
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].start.x, start.x);
    EXPECT_EQ(lines[0].start.y, start.y);
}

std::vector<simhost::TraceRecord> HostTest::CallsOf(const std::string& suite) const {
    std::vector<simhost::TraceRecord> calls;
    for (const auto& record : host->Trace()) {
        if (record.suite == suite) calls.push_back(record);
    }
    return calls;
}

int RunProgram(const std::string& arguments, const std::filesystem::path& dir, std::string* err) {
    const auto errPath = dir / "stderr.txt";
    const std::string command = std::string("\"") + SIMHOST_PROGRAM_PATH + "\" " + arguments + " > \"" +
                                (dir / "stdout.txt").string() + "\" 2> \"" + errPath.string() + "\"";
    const int status = std::system(command.c_str());
    *err = ReadText(errPath);
#if defined(_WIN32)
    return status;
#else
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

ErrorListLookup ModuleErrorMessage(const simhost::ResourceSource& resources, const std::string& codeEntry) {
    constexpr uint16_t kList = 16050;
    ErrorListLookup found;
    // Odd entries are codes, each followed by its message; the first missing code ends the list.
    for (uint16_t index = 1; index < 1000; index += 2) {
        const std::string entry = simhost::LoadStringResource(resources, kList + index).value_or("");
        if (entry.empty()) {
            found.text = simhost::LoadStringResource(resources, kList + index - 1).value_or("");
            return found;
        }
        if (entry == codeEntry) {
            found.text = simhost::LoadStringResource(resources, kList + index + 1).value_or("");
            found.named = true;
            return found;
        }
    }
    return found;
}

std::map<int32_t, std::string> TextsById(const simhost::ClosedBox& box) {
    std::map<int32_t, std::string> texts;
    for (const simhost::BoxItem& item : box.items) {
        if (item.id != simhost::kItemIdNone) texts[item.id] = item.text;
    }
    return texts;
}

double DirectionDegrees(const Line& line) {
    return std::atan2(static_cast<double>(line.end.y) - line.start.y, static_cast<double>(line.end.x) - line.start.x) *
           180.0 / std::numbers::pi;
}

double Length(const Line& line) {
    return std::hypot(static_cast<double>(line.end.x) - line.start.x, static_cast<double>(line.end.y) - line.start.y);
}

}  // namespace simhost_test
