// The About box and the error box through the real module: the host builds
// them from the module's templates, the module fills them, the host presses OK.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>

#include "HostFixture.h"
#include "simhost/HostCodes.h"
#include "simhost/Session.h"

namespace simhost_test {
namespace {

using simhost::FourChars;

constexpr int32_t kAboutTemplate = 16050;
constexpr int32_t kErrorTemplate = 16051;
constexpr int32_t kErrorList = 16050;
constexpr int32_t kNoId = simhost::kItemIdNone;

class BoxTest : public StartedHostTest {
protected:
    // A press and a drag whose segments the host refuses with `code`; returns
    // the drag's result and the boxes it opened.
    ErrorCode FailingDrag(ErrorCode code, std::vector<simhost::ClosedBox>* opened) {
        const size_t before = host->dialogs().Boxes().size();
        host->FailCall("AI Path Suite", 3, code);
        EXPECT_EQ(host->MouseDown(Point{10, 10}), 0);
        const ErrorCode result = host->MouseDrag(Point{60, 40});
        EXPECT_EQ(host->MouseUp(Point{60, 40}), 0);
        host->ClearFaults();
        const auto& boxes = host->dialogs().Boxes();
        opened->assign(boxes.begin() + static_cast<std::ptrdiff_t>(before), boxes.end());
        return result;
    }

    // Replaces the start of error list 16050 by `entries` (index: text).
    void SetErrorList(const std::map<int32_t, std::string>& entries) {
        host->ClearListEntries();
        for (const auto& [index, text] : entries) host->SetListEntry(kErrorList, index, text);
    }
};

// Checks one error box: its template, message, code text, and that the
// placeholders never show.
void ExpectErrorBox(const simhost::ClosedBox& box, const std::string& message, const std::string& code, size_t index) {
    EXPECT_EQ(box.name, "Error Dialog") << "case " << index;
    EXPECT_EQ(box.templateId, kErrorTemplate) << "case " << index;
    EXPECT_EQ(box.title, "Plug-in Error") << "case " << index;
    EXPECT_EQ(box.result, 1) << "case " << index << ": closed with OK";
    const auto texts = TextsById(box);
    ASSERT_EQ(texts.size(), 4u) << "case " << index;
    EXPECT_EQ(texts.at(1), "OK") << "case " << index;
    EXPECT_EQ(texts.at(2), message) << "case " << index;
    EXPECT_EQ(texts.at(3), code) << "case " << index;
    EXPECT_EQ(texts.at(4), "") << "case " << index;
    for (const auto& [id, text] : texts) {
        EXPECT_NE(text, "Message") << "case " << index << ", item " << id;
        EXPECT_NE(text, "Code") << "case " << index << ", item " << id;
    }
}

TEST_F(BoxTest, AboutOpensTheAboutBoxWithPictureNameVersionAndCreditsAndEndsWithZero) {
    host->ClearTrace();
    EXPECT_EQ(host->About(), 0);
    ASSERT_EQ(host->dialogs().Boxes().size(), 1u);
    const simhost::ClosedBox& box = host->dialogs().Boxes()[0];
    EXPECT_EQ(box.name, "About Dialog");
    EXPECT_EQ(box.templateId, kAboutTemplate);
    EXPECT_EQ(box.title, "About Trax Tool");
    EXPECT_EQ(box.result, 1) << "closed with OK";
    EXPECT_EQ(box.fontName, "MS Sans Serif");
    EXPECT_EQ(box.pointSize, 8);

    // Every item, in template order; the two texts without an id are items too.
    const struct {
        int32_t id;
        const char* className;
        uint32_t style;
    } expected[] = {{1, "button", 0x50010001}, {kNoId, "static", 0x50020000}, {kNoId, "static", 0x50020000},
                    {4, "static", 0x5000000E}};
    ASSERT_EQ(box.items.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(box.items[i].id, expected[i].id) << "item " << i;
        EXPECT_EQ(box.items[i].className, expected[i].className) << "item " << i;
        EXPECT_EQ(box.items[i].style, expected[i].style) << "item " << i;
    }
    EXPECT_EQ(box.items[0].text, "OK");
    EXPECT_EQ(box.items[1].text, "Trax Tool, v 10.0");
    EXPECT_EQ(box.items[3].text, "#16502") << "the picture names bitmap 16502";

    // Seven credit lines split at lone carriage returns: the sixth is empty, the last "Free!".
    std::vector<std::string> lines(1);
    for (const char c : box.items[2].text) {
        if (c == '\r') {
            lines.emplace_back();
        } else {
            lines.back().push_back(c);
        }
    }
    ASSERT_EQ(lines.size(), 7u) << box.items[2].text;
    EXPECT_EQ(lines[5], "");
    EXPECT_EQ(lines[6], "Free!");
    EXPECT_EQ(box.items[2].text.find('\n'), std::string::npos);

    // OK was pressed through the module's notify procedure, which handed it to the default handling.
    const auto items = CallsOf("ADM Item Suite");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].entry, 10);
    EXPECT_EQ(items[1].entry, 12);
    EXPECT_EQ(host->ErrorsReported(), 0);
}

TEST_F(BoxTest, AboutEndsWithZeroWhenTheBoxCannotBeRun) {
    const struct {
        const char* what;
        std::function<void(simhost::Host&)> arrange;
    } cases[] = {
        {"the modal run fails", [](simhost::Host& h) { h.FailCall("ADM Dialog Suite", 1, -1); }},
        {"the template is missing", [](simhost::Host& h) { h.dialogs().SetResources(nullptr); }},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        cases[i].arrange(*host);
        host->ClearTrace();
        EXPECT_EQ(host->About(), 0) << "case " << i << ": " << cases[i].what;
        EXPECT_TRUE(host->dialogs().Boxes().empty()) << "case " << i;
        EXPECT_TRUE(CallsOf("ADM Item Suite").empty()) << "case " << i << ": init was not called";
        EXPECT_EQ(host->ErrorsReported(), 0) << "case " << i;
        host->ClearFaults();
        host->dialogs().SetResources(host->Resources());
    }
}

// The module's own list 16050 with the host's codes: each failure is one box
// with the message for its code and the code's text.
TEST_F(BoxTest, AFailingDragShowsOneErrorBoxWithTheModulesMessageAndReturnsTheCode) {
    const ErrorListLookup fallback = ModuleErrorMessage(*host->Resources(), "");
    const struct {
        ErrorCode code;
        const char* codeText;
        const char* entry;  // the code's entry in the list; null when the list does not name it
    } cases[] = {
        {simhost::kErrorLocked, "kcl!", "kcl!"},
        {FourChars("!ico"), "oci!", "oci!"},  // the characters o, c, i, !: memory order
        {simhost::kErrorOutOfMemory, "-108", "-108"},
        {simhost::kErrorBadParameter, "mrap", "mrap"},
        {-50, "-50", nullptr},   // not named: the list's last message
        {65536, "", nullptr},    // four-character form whose first byte in memory is 0
        {FourChars("\0ABC"), "CBA", nullptr},  // bytes C, B, A, 0 in memory
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        std::string message = fallback.text;
        if (cases[i].entry != nullptr) {
            const ErrorListLookup named = ModuleErrorMessage(*host->Resources(), cases[i].entry);
            ASSERT_TRUE(named.named) << "case " << i << ": the module's list names " << cases[i].entry;
            message = named.text;
        }
        std::vector<simhost::ClosedBox> boxes;
        EXPECT_EQ(FailingDrag(cases[i].code, &boxes), cases[i].code) << "case " << i;
        ASSERT_EQ(boxes.size(), 1u) << "case " << i << ": exactly one box";
        ExpectErrorBox(boxes[0], message, cases[i].codeText, i);
    }
    EXPECT_FALSE(fallback.text.empty());
    EXPECT_TRUE(host->Alerts().empty());
    EXPECT_EQ(host->ErrorsReported(), static_cast<int>(std::size(cases)));
}

TEST_F(BoxTest, ANotReportedCodeOpensNoBox) {
    std::vector<simhost::ClosedBox> boxes;
    EXPECT_EQ(FailingDrag(simhost::kErrorNoSuchSuite, &boxes), simhost::kErrorNoSuchSuite);
    EXPECT_TRUE(boxes.empty()) << "'S!Fd' is never reported";
    EXPECT_EQ(FailingDrag(FourChars("STOP"), &boxes), FourChars("STOP"));
    EXPECT_TRUE(boxes.empty()) << "'STOP' is not reported";
}

// Lists of the host's own (over the module's) drive the same search.
TEST_F(BoxTest, ErrorListsGivenByTheHostChooseTheMessage) {
    using List = std::map<int32_t, std::string>;
    const List five = {{1, "5"}, {2, "Five"}, {3, ""}};
    const List byteOrder = {{1, "-108"}, {2, "A"}, {3, "oci!"}, {4, "B"}, {5, ""}};
    const List mostSignificantFirst = {{1, "!ico"}, {2, "Wrong"}, {3, "5"}, {4, "Last"}, {5, ""}};
    const List onlyGeneral = {{0, "General"}, {1, ""}};
    const List leadingNumber = {{1, "1abc"}, {2, "One"}, {3, ""}};
    const List emptyMessage = {{1, "5"}, {2, ""}, {3, "6"}, {4, "Six"}, {5, ""}};
    const struct {
        const List* list;
        ErrorCode code;
        const char* message;
        const char* codeText;
    } cases[] = {
        {&five, 5, "Five", "5"},
        {&five, 7, "Five", "7"},                   // not named: the last message
        {&byteOrder, -108, "A", "-108"},
        {&byteOrder, FourChars("!ico"), "B", "oci!"},
        {&mostSignificantFirst, FourChars("!ico"), "Last", "oci!"},  // "!ico" as written is another code
        {&onlyGeneral, 5, "General", "5"},          // entry 1 empty: the message is entry 0
        {&leadingNumber, 1, "One", "1"},            // "1abc" is a number entry, read as 1
        {&emptyMessage, 5, "", "5"},                // the box still opens, item 2 empty
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SetErrorList(*cases[i].list);
        std::vector<simhost::ClosedBox> boxes;
        EXPECT_EQ(FailingDrag(cases[i].code, &boxes), cases[i].code) << "case " << i;
        ASSERT_EQ(boxes.size(), 1u) << "case " << i;
        ExpectErrorBox(boxes[0], cases[i].message, cases[i].codeText, i);
    }
}

// Without "ADM Dialog Suite" no box can open: the suite table's alert is all
// the user sees, once.
TEST_F(BoxTest, WithoutTheDialogSuiteTheAlertAppearsAndNoBox) {
    host->FailAcquire("ADM Dialog Suite", simhost::kErrorOutOfMemory);
    EXPECT_EQ(host->TrackCursor(Point{5, 5}), simhost::kErrorOutOfMemory);
    EXPECT_TRUE(host->dialogs().Boxes().empty());
    ASSERT_EQ(host->Alerts().size(), 1u);
    EXPECT_EQ(host->Alerts()[0], "Error: -108, suite: ADM Dialog Suite, version: 3!");
    EXPECT_EQ(host->ErrorsReported(), 1);

    host->ClearFaults();
    EXPECT_EQ(host->TrackCursor(Point{5, 5}), 0) << "the next call acquires the suite again";
    EXPECT_EQ(host->ErrorsReported(), 1);
}

// The dialog manager on its own, with init procedures of the test's.
struct InitProbe {
    simhost::DialogHost* host = nullptr;
    int calls = 0;
    ItemRef unnamed = reinterpret_cast<ItemRef>(1);  // sentinels: must be overwritten
    ItemRef picture = nullptr;
    ErrorCode result = 0;
    ItemNotifyProc notify = nullptr;
};
InitProbe probe;

extern "C" ErrorCode ProbeInit(DialogRef dialog) {
    ++probe.calls;
    probe.unnamed = probe.host->ItemById(dialog, kNoId);
    probe.picture = probe.host->ItemById(dialog, 4);
    probe.host->SetItemText(probe.picture, "set by init");
    if (probe.notify != nullptr) probe.host->SetNotifyProc(probe.host->ItemById(dialog, 1), probe.notify);
    return probe.result;
}

extern "C" void IgnoreNotification(ItemRef, NotifierRef) {}

TEST(DialogHost, BuildsTheBoxFromItsTemplateAndClosesItTheWayAUserWould) {
    const std::string missing = MissingBuildOutputs();
    if (!missing.empty()) GTEST_SKIP() << missing;
    std::string error;
    const auto resources = simhost::OpenResources(TRAX_RESOURCES_PATH, &error);
    ASSERT_NE(resources, nullptr) << error;
    const struct {
        int32_t templateId;
        ErrorCode initResult;
        ItemNotifyProc notify;
        int32_t modalResult;
        int initCalls;
        bool recorded;
    } cases[] = {
        {kAboutTemplate, 0, nullptr, 1, 1, true},              // OK's default handling closes with 1
        {kAboutTemplate, 0, IgnoreNotification, 0, 1, true},   // a press nothing handles: the host closes it, 0
        {kAboutTemplate, 7, nullptr, simhost::kModalFailed, 1, false},  // init failed: never shown
        {999, 0, nullptr, simhost::kModalFailed, 0, false},   // no such template: init is not called
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        simhost::DialogHost dialogs;
        dialogs.SetResources(resources.get());
        probe = InitProbe{&dialogs, 0, reinterpret_cast<ItemRef>(1), nullptr, cases[i].initResult, cases[i].notify};
        EXPECT_EQ(dialogs.RunModal("Probe", cases[i].templateId, ProbeInit, nullptr), cases[i].modalResult) << "case " << i;
        EXPECT_EQ(probe.calls, cases[i].initCalls) << "case " << i;
        EXPECT_FALSE(dialogs.Running()) << "case " << i;
        ASSERT_EQ(dialogs.Boxes().size(), cases[i].recorded ? 1u : 0u) << "case " << i;
        if (cases[i].initCalls == 0) continue;
        EXPECT_EQ(probe.unnamed, nullptr) << "case " << i << ": items without an id cannot be found by id";
        EXPECT_NE(probe.picture, nullptr) << "case " << i;
        if (!cases[i].recorded) continue;
        const simhost::ClosedBox& box = dialogs.Boxes()[0];
        EXPECT_EQ(box.result, cases[i].modalResult) << "case " << i;
        ASSERT_EQ(box.items.size(), 4u) << "case " << i << ": the unnamed items are items all the same";
        EXPECT_EQ(box.items[1].id, kNoId) << "case " << i;
        EXPECT_EQ(box.items[3].text, "set by init") << "case " << i;
        EXPECT_EQ(box.cx, 211) << "case " << i;
        EXPECT_EQ(box.cy, 94) << "case " << i;
        EXPECT_EQ(box.style, 0x90C800C0u) << "case " << i;
    }
}

class BoxSessionTest : public HostTest {};

// The session command "string" and the printed form of the boxes.
TEST_F(BoxSessionTest, SessionPrintsEveryBoxWithItsItemsOneLineEach) {
    LoadModule();
    const char* text = R"(path 0,0 100,0
fail "AI Path Suite" 3 '!lck'
down 10 10
drag 50 40
up 50 40
string 16050 2 "Icon trouble"
fail "AI Path Suite" 3 '!ico'
down 10 10
drag 50 40
up 50 40
about
)";
    std::string error;
    const auto session = simhost::Session::Parse(text, "boxes.session", &error);
    ASSERT_TRUE(session) << error;
    simhost::Picture picture;
    simhost::PlayResult result;
    std::ostringstream out;
    ASSERT_TRUE(session->Play(*host, &picture, out, simhost::PlayOptions{false, false, true}, &result, &error)) << error;
    const std::string locked = ModuleErrorMessage(*host->Resources(), "kcl!").text;
    const std::string expected = "result boxes.session:4 AI Mouse Drag '!lck'\n"
                                 "box \"Error Dialog\" 16051 \"Plug-in Error\" result 1\n"
                                 "item 1: OK\n"
                                 "item 2: " + locked + "\n"
                                 "item 3: kcl!\n"
                                 "item 4: \n"
                                 "result boxes.session:9 AI Mouse Drag '!ico'\n"
                                 "box \"Error Dialog\" 16051 \"Plug-in Error\" result 1\n"
                                 "item 1: OK\n"
                                 "item 2: Icon trouble\n"
                                 "item 3: oci!\n"
                                 "item 4: \n"
                                 "box \"About Dialog\" 16050 \"About Trax Tool\" result 1\n"
                                 "item 1: OK\n"
                                 "item 65535: Trax Tool, v 10.0\n";
    EXPECT_NE(out.str().find(expected), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("\\rFree!\n"), std::string::npos) << "credit lines stay on one line:\n" << out.str();
    EXPECT_NE(out.str().find(" errors 2\n"), std::string::npos) << "two error boxes, the About box is none:\n" << out.str();
}

TEST(SessionStringCommand, BadLinesAreRefused) {
    const char* bad[] = {"string 16050 2", "string 16050 x \"T\"", "string 16050 2 \"T\" extra",
                         "string 99999999999 1 \"T\""};
    for (size_t i = 0; i < std::size(bad); ++i) {
        std::string error;
        EXPECT_FALSE(simhost::Session::Parse(bad[i], "bad.session", &error)) << "case " << i;
        EXPECT_NE(error.find("bad.session:1: expected: string LIST INDEX"), std::string::npos) << "case " << i << ": " << error;
    }
}

}  // namespace
}  // namespace simhost_test
