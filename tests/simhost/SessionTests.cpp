// Whole sessions: played in the host, and through the simhost program.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "HostFixture.h"
#include "simhost/Session.h"

namespace simhost_test {
namespace {

class SessionTest : public HostTest {
protected:
    // Loads the module and plays `text` with the machine-readable report.
    void Play(const std::string& text, const std::string& name) {
        std::string error;
        const auto session = simhost::Session::Parse(text, name, &error);
        ASSERT_TRUE(session) << error;
        LoadModule();
        ASSERT_TRUE(session->Play(*host, &picture, out, simhost::PlayOptions{false, false, true}, &result, &error)) << error;
    }

    simhost::Picture picture;
    simhost::PlayResult result;
    std::ostringstream out;
};

// Strokes of every kind; the document must hold exactly these lines.
TEST_F(SessionTest, DocumentHoldsExactlyTheExpectedLines) {
    const char* text = R"(# end-to-end session
document 400 300
layer Art
path 0,0 200,0
tolerance 3
move 201 1
down 201 1
drag 250 30
drag 300 10
up 300 10
down 50 -2
drag-to 60 80 5
up 60 80
pref constrain/angle 10
down 20 100 shift
drag 120 110 shift
up 120 110 shift
keys alt
down 20 150
drag 77.5 151.25
up 77.5 151.25
keys none
down 0 200
drag 100 200
up 100 200
undo
)";
    Play(text, "e2e.session");
    if (HasFatalFailure()) return;

    const struct {
        Point start;
        double direction;
        double length;
    } expected[] = {
        {{200, 0}, 30, std::hypot(100.0, 10.0)},  // starts on the path's end anchor
        {{50, 0}, 90, std::hypot(10.0, 80.0)},    // starts on the segment below the press
        {{20, 100}, 10, std::hypot(100.0, 10.0)}, // Shift: 10 + k*45
        {{20, 150}, std::atan2(1.25, 57.5) * 180 / 3.14159265358979, std::hypot(57.5, 1.25)},  // Alt
    };
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), std::size(expected)) << out.str();
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].start.x, expected[i].start.x) << "line " << i;
        EXPECT_EQ(lines[i].start.y, expected[i].start.y) << "line " << i;
        EXPECT_NEAR(DirectionDegrees(lines[i]), expected[i].direction, 1e-4) << "line " << i;
        EXPECT_NEAR(Length(lines[i]), expected[i].length, 1e-3) << "line " << i;
    }
    EXPECT_EQ(result.linesDrawn, 4);
    EXPECT_EQ(result.errorsReported, 0);
    EXPECT_NE(out.str().find("cursor e2e.session:6 16002"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("summary lines 4 errors 0"), std::string::npos) << out.str();
    EXPECT_EQ(picture.width, 400.0f);
}

// The bundled demo must keep playing cleanly: every press lands where the
// drawing expects, so each snapped line runs along an isometric ray.
TEST_F(SessionTest, DemoSessionDrawsIsometricLinesWithoutErrors) {
    std::ifstream in(DEMO_SESSION_PATH);
    ASSERT_TRUE(in) << DEMO_SESSION_PATH;
    std::stringstream text;
    text << in.rdbuf();
    Play(text.str(), "demo.session");
    if (HasFatalFailure()) return;
    EXPECT_EQ(out.str().find("result "), std::string::npos) << "a message failed:\n" << out.str();
    EXPECT_EQ(result.errorsReported, 0);
    const auto lines = Lines();
    ASSERT_GE(lines.size(), 30u);
    int offRay = 0;  // the Shift line and the Alt line
    for (const Line& line : lines) {
        const double direction = DirectionDegrees(line);
        const double fromRay = std::remainder(direction - 30.0, 60.0);
        if (std::abs(fromRay) > 1e-3) ++offRay;
    }
    EXPECT_EQ(offRay, 2);

    // Every line starts on other art: the press found an anchor or a segment.
    simhost::Document& document = host->document();
    document.tolerance = 0.01f;
    const auto arts = document.ArtsInPaintOrder();
    for (const auto& [layer, line] : arts) {
        if (!line->madeByPlugin) continue;
        bool attached = false;
        for (const auto& [otherLayer, other] : arts) {
            HitRecord hit{};
            if (other != line) document.HitTest(line->segments[0].point, other->id, &hit);
            attached = attached || hit.hitFlag != 0;
        }
        EXPECT_TRUE(attached) << "line " << line->id << " starts in open space";
    }
    const std::string svg = simhost::RenderSvg(host->document(), picture);
    size_t drawn = 0;
    for (size_t at = svg.find("trax-line"); at != std::string::npos; at = svg.find("trax-line", at + 1)) ++drawn;
    EXPECT_EQ(drawn, lines.size());
}

TEST(SimhostProgram, BadSessionLineExitsWithTwoNamingFileAndLineAndWritesNothing) {
    const std::string missing = MissingProgram();
    if (!missing.empty()) GTEST_SKIP() << missing;
    TempDir dir;
    const struct {
        const char* session;
        const char* message;
    } cases[] = {
        {"layer Art\nmove 10 10\ndrag 10 ten\n", "bad.session:3:"},
        {"layer Art\nfly 1 2\n", "bad.session:2: unknown command \"fly\""},
        {"layer Art\ndown 1 2 ctrl\n", "bad.session:2:"},
        {"layer Art\ntool NoSuchTool\ndown 1 2\n", "bad.session:2: the toolbox has no tool"},
        {"text 1 2 12 \"open\n", "bad.session:1: unterminated"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto session = dir.path() / "bad.session";
        std::ofstream(session) << cases[i].session;
        const auto svg = dir.path() / "out.svg";
        std::string err;
        EXPECT_EQ(RunProgram("--svg \"" + svg.string() + "\" \"" + session.string() + "\"", dir.path(), &err), 2)
            << "case " << i;
        EXPECT_NE(err.find(cases[i].message), std::string::npos) << "case " << i << ": " << err;
        EXPECT_FALSE(std::filesystem::exists(svg)) << "case " << i;
        EXPECT_FALSE(std::filesystem::exists(dir.path() / "out.svg.tmp")) << "case " << i;
    }

    const auto good = dir.path() / "good.session";
    std::ofstream(good) << "layer Art\ndown 10 10\ndrag 60 12\nup 60 12\n";
    std::string err;
    ASSERT_EQ(RunProgram("--svg \"" + (dir.path() / "good.svg").string() + "\" \"" + good.string() + "\"", dir.path(), &err), 0)
        << err;
    std::ifstream picture(dir.path() / "good.svg");
    std::stringstream svg;
    svg << picture.rdbuf();
    EXPECT_NE(svg.str().find("class=\"trax-line\""), std::string::npos) << svg.str();
}

}  // namespace
}  // namespace simhost_test
