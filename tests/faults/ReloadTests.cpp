// The host may unload the module between any two calls and load it again:
// the real module file, loaded by the substitute host, played through a whole
// session once straight and once with "Unload" and "Reload" between every
// pair of messages. The system really drops the module, so all that carries
// over is what travels through the host; both sessions must end the same.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "simhost/Host.h"
#include "simhost/HostCodes.h"

namespace {

using simhost::Host;

struct Step {
    const char* what;
    std::function<ErrorCode(Host&)> send;
};

const Step kSession[] = {
    {"startup", [](Host& h) { return h.Startup(); }},
    {"move over empty space", [](Host& h) { return h.TrackCursor(Point{400, 400}); }},
    {"move over the path", [](Host& h) { return h.TrackCursor(Point{100.5f, 100}); }},
    {"press on the path", [](Host& h) { return h.MouseDown(Point{100.5f, 100}); }},
    {"drag", [](Host& h) { return h.MouseDrag(Point{190, 150}); }},
    {"drag with Shift",
     [](Host& h) {
         h.shiftDown = true;
         const ErrorCode result = h.MouseDrag(Point{170, 185});
         h.shiftDown = false;
         return result;
     }},
    {"drag with Alt",
     [](Host& h) {
         h.altDown = true;
         const ErrorCode result = h.MouseDrag(Point{160, 175});
         h.altDown = false;
         return result;
     }},
    {"release", [](Host& h) { return h.MouseUp(Point{160, 175}); }},
    {"About", [](Host& h) { return h.About(); }},
    {"press in empty space", [](Host& h) { return h.MouseDown(Point{300, 300}); }},
    {"drag with Shift and no constrain angle: an error box",
     [](Host& h) {
         h.RemovePreference("constrain/angle");
         h.shiftDown = true;
         const ErrorCode result = h.MouseDrag(Point{340, 330});
         h.shiftDown = false;
         h.SetPreference("constrain/angle", 0.0);
         return result;
     }},
    {"drag", [](Host& h) { return h.MouseDrag(Point{250, 350}); }},
    {"release", [](Host& h) { return h.MouseUp(Point{250, 350}); }},
    {"shutdown", [](Host& h) { return h.Shutdown(); }},
};

struct Outcome {
    std::vector<ErrorCode> results;
    std::vector<std::optional<uint16_t>> cursors;
    std::vector<std::vector<float>> lines;  // x1, y1, x2, y2 of each line the tool drew
    std::vector<std::string> boxes;
    size_t alerts = 0;
};

// Whether a file of this name is mapped into the process.
bool Mapped(const std::string& fileName) {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (line.find(fileName) != std::string::npos) return true;
    }
    return false;
}

class UnloadReload : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* path : {TRAX_MODULE_PATH, TRAX_RESOURCES_PATH}) {
            if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " has not been built";
        }
    }

    Outcome Play(bool reloadBetweenMessages) {
        Outcome outcome;
        Host host;
        std::string error;
        EXPECT_TRUE(host.Load(TRAX_MODULE_PATH, TRAX_RESOURCES_PATH, &error)) << error;
        host.document().AddLayer("Art");
        host.document().AddPath({PathSegment{{100, 100}, {100, 100}, {100, 100}, 1},
                                 PathSegment{{200, 100}, {200, 100}, {200, 100}, 1}},
                                false, simhost::DefaultPathStyle(), 0);
        for (size_t i = 0; i < std::size(kSession); ++i) {
            SCOPED_TRACE(testing::Message() << "step " << i << ": " << kSession[i].what);
            if (reloadBetweenMessages && i > 0) {
                host.SetGlobalsReference(nullptr);  // "Unload" must hand the block over itself
                EXPECT_EQ(host.Unload(), kNoError);
                EXPECT_NE(host.GlobalsReference(), nullptr) << "the plug-in handed its block to the host";
                EXPECT_FALSE(Mapped(std::filesystem::path(TRAX_MODULE_PATH).filename()))
                    << "the system kept the module: its state would survive the unload";
                EXPECT_TRUE(host.Reload(&error)) << error;
            }
            outcome.results.push_back(kSession[i].send(host));
            outcome.cursors.push_back(host.CurrentCursorId());
        }
        for (const auto& [layer, art] : host.document().ArtsInPaintOrder()) {
            if (!art->madeByPlugin) continue;
            std::vector<float> line;
            for (const PathSegment& s : art->segments) {
                line.push_back(s.point.x);
                line.push_back(s.point.y);
            }
            outcome.lines.push_back(line);
        }
        for (const auto& box : host.dialogs().Boxes()) outcome.boxes.push_back(box.name);
        outcome.alerts = host.Alerts().size();
        EXPECT_EQ(host.LiveBlocks(), 0u);
        EXPECT_EQ(host.OutstandingHits(), 0u);
        EXPECT_EQ(host.SuiteHolds(), 0);
        EXPECT_EQ(host.GlobalsReference(), nullptr);
        return outcome;
    }
};

TEST_F(UnloadReload, BetweenEveryPairOfMessagesChangesNothingInTheSession) {
    const Outcome straight = Play(false);
    ASSERT_FALSE(HasFailure());
    // The session itself: two lines, the About box and one error box.
    EXPECT_EQ(straight.lines.size(), 2u);
    EXPECT_EQ(straight.results[10], simhost::kErrorNoPreference);
    EXPECT_EQ(straight.boxes, (std::vector<std::string>{"About Dialog", "Error Dialog"}));

    const Outcome reloaded = Play(true);
    EXPECT_EQ(reloaded.results, straight.results);
    EXPECT_EQ(reloaded.cursors, straight.cursors);
    EXPECT_EQ(reloaded.lines, straight.lines) << "the same lines, to the bit";
    EXPECT_EQ(reloaded.boxes, straight.boxes);
    EXPECT_EQ(reloaded.alerts, straight.alerts);
}

}  // namespace
