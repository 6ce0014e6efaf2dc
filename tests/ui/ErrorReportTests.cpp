// The error report: the message looked up in string list 16050, the code's
// text, the string forms, and the report of a failing drag end to end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "shell/SuiteTable.h"
#include "tests/fakehost/PluginFixture.h"
#include "ui/ErrorReport.h"

namespace {

using Names = std::vector<std::string>;
using List = std::map<int32_t, std::string>;  // index -> entry of list 16050; missing entries are empty

class ErrorReport : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        HoldSuites();
    }

    void UseList(const List& list) {
        host.strings.clear();
        for (const auto& [index, text] : list) host.strings[{kErrorStringListId, index}] = text;
    }

    // The one error box shown, with its message and code text.
    void ExpectBox(const std::string& messageText, const std::string& codeText) {
        ASSERT_EQ(host.dialogs.size(), 1u);
        const FakeHost::DialogRun& box = host.dialogs[0];
        EXPECT_EQ(box.name, "Error Dialog");
        EXPECT_EQ(box.templateId, 16051);
        EXPECT_EQ(box.items[2].text, messageText);
        EXPECT_EQ(box.items[3].text, codeText);
    }
};

const List kFive = {{1, "5"}, {2, "Five"}};
const List kMixed = {{1, "-108"}, {2, "A"}, {3, "oci!"}, {4, "B"}};
const List kByteOrder = {{1, "!ico"}, {2, "Wrong"}, {3, "5"}, {4, "Last"}};
const List kEmptyFirst = {{0, "Zero"}, {2, "Two"}};
const List kNumbers = {{1, "1abc"}, {2, "One"},      {3, "2.9"},  {4, "Two"},  {5, "-2.9"},
                       {6, "MinusTwo"}, {7, "65535"}, {8, "MinusOne"}, {9, "777"}, {10, "Last"}};

TEST_F(ErrorReport, ShowsTheListsMessageAndTheCodesText) {
    struct Case {
        const List* list;
        ErrorCode code;
        const char* messageText;
        const char* codeText;
    };
    const Case cases[] = {
        {&kFive, 5, "Five", "5"},
        {&kFive, 7, "Five", "7"},  // not named: the last message
        {&kMixed, -108, "A", "-108"},
        {&kMixed, FourChars("!ico"), "B", "oci!"},
        {&kByteOrder, FourChars("!ico"), "Last", "oci!"},  // "!ico" as written names 'oci!'
        {&kByteOrder, FourChars("oci!"), "Wrong", "!ico"},
        {&kEmptyFirst, 5, "Zero", "5"},
        {&kFive, 65535, "Five", "65535"},
        {&kFive, -65536, "Five", "-65536"},
        {&kFive, 65536, "Five", ""},       // four-character form; its first byte in memory is 0
        {&kFive, 0x00414243, "Five", "CBA"},  // bytes C, B, A, 0 in memory
        {&kNumbers, 1, "One", "1"},           // "1abc" is a number entry, read as 1
        {&kNumbers, 2, "Two", "2"},
        {&kNumbers, -2, "MinusTwo", "-2"},
        {&kNumbers, -1, "MinusOne", "-1"},        // "65535" reads as -1
        {&kNumbers, 65535, "Last", "65535"},      // and so cannot name 65535
        {&kNumbers, 777, "Last", "777"},
        {&kNumbers, FourChars("NONE"), "Last", "ENON"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": code " << c.code);
        UseList(*c.list);
        host.dialogs.clear();

        ReportErrorCode(&message.d, c.code);

        ExpectBox(c.messageText, c.codeText);
    }
}

TEST_F(ErrorReport, ReadsCodeEntriesWithCapacity255AndTheMessageWith256) {
    UseList(kFive);
    ReportErrorCode(&message.d, 7);
    const std::string plugin = FakeHost::Hex(FakeHost::kPlugin);
    EXPECT_EQ(host.Texts("ADM Basic Suite", 0), (Names{"ADM Basic Suite 0(" + plugin + ", 16050, 1, out, 255) -> 0",
                                                        "ADM Basic Suite 0(" + plugin + ", 16050, 3, out, 255) -> 0",
                                                        "ADM Basic Suite 0(" + plugin + ", 16050, 2, out, 256) -> 0"}));
    EXPECT_EQ(host.Texts("AI User Suite"),
              (Names{"AI User Suite 5(1:5, out) -> 0", "AI User Suite 4(7, 0, out) -> 0"}));
}

TEST_F(ErrorReport, EntriesThatFillTheirBuffersAreCutNotOverrun) {
    host.stringsUnterminated = true;
    UseList({{1, "5" + std::string(299, ' ')}, {2, std::string(300, 'M')}});
    ReportErrorCode(&message.d, 5);
    ExpectBox(std::string(255, 'M'), "5");
}

TEST_F(ErrorReport, NothingIsReadOrShownForZeroAndStop) {
    UseList(kFive);
    for (const ErrorCode code : {kNoError, kErrorStop}) {
        ReportErrorCode(&message.d, code);
        EXPECT_TRUE(host.calls.empty()) << "code " << code;
        EXPECT_TRUE(host.dialogs.empty()) << "code " << code;
    }
}

TEST_F(ErrorReport, AFailedMessageReadShowsNoBox) {
    struct Case {
        ErrorCode code;
        int messageRead;  // which read of the list is the message
    };
    const Case cases[] = {{5, 2}, {7, 3}};
    for (size_t i = 0; i < std::size(cases); ++i) {
        UseList(kFive);
        host.ClearFailures();
        host.Fail("ADM Basic Suite", 0, 99, cases[i].messageRead);
        ReportErrorCode(&message.d, cases[i].code);
        EXPECT_TRUE(host.dialogs.empty()) << "case " << i;
    }
}

TEST_F(ErrorReport, AFailedCodeEntryReadCountsAsTheEndOfTheList) {
    UseList({{0, "First"}, {1, "5"}, {2, "Five"}});
    host.Fail("ADM Basic Suite", 0, 99, 1);
    ReportErrorCode(&message.d, 5);
    ExpectBox("First", "5");
}

TEST_F(ErrorReport, AListThatNeverEndsStopsTheSearchWithinTheIndexRange) {
    host.stringSource = [](int32_t, int32_t index) { return index % 2 != 0 ? std::string("9") : std::string("Nine"); };
    ReportErrorCode(&message.d, 5);

    ASSERT_EQ(host.dialogs.size(), 1u);
    EXPECT_EQ(host.dialogs[0].items[2].text, "Nine");
    for (const FakeHost::Call& call : host.CallsTo("ADM Basic Suite", 0)) {
        const int index = std::stoi(call.args[2]);
        ASSERT_GE(index, 0) << call.Text();
        ASSERT_LE(index, 32767) << call.Text();
    }
}

// A code entry at 32767 would have its message at 32768, past the 16-bit
// index: the search ends before it, with the message of the entry at 32765.
TEST_F(ErrorReport, TheSearchEndsWhereTheNextMessageIndexWouldWrap) {
    host.stringSource = [](int32_t, int32_t index) -> std::string {
        if (index < 0) return "";
        if (index % 2 == 0) return "Message " + std::to_string(index);
        return index == 32767 ? "5" : "9";
    };
    ReportErrorCode(&message.d, 5);

    ASSERT_EQ(host.dialogs.size(), 1u);
    EXPECT_EQ(host.dialogs[0].items[2].text, "Message 32766");
    int highest = 0;
    for (const FakeHost::Call& call : host.CallsTo("ADM Basic Suite", 0)) {
        const int index = std::stoi(call.args[2]);
        ASSERT_GE(index, 0) << call.Text();
        highest = std::max(highest, index);
    }
    EXPECT_EQ(highest, 32766);
}

TEST_F(ErrorReport, NoReportWithoutTheBasicOrTheDialogSuite) {
    UseList(kFive);
    for (const void** slot : {reinterpret_cast<const void**>(&admBasicSuite),
                              reinterpret_cast<const void**>(&dialogSuite)}) {
        const void* held = *slot;
        *slot = nullptr;
        ReportErrorCode(&message.d, 5);
        *slot = held;
        EXPECT_TRUE(host.calls.empty());
        EXPECT_TRUE(host.dialogs.empty());
    }
}

TEST_F(ErrorReport, WithoutTheUserSuiteNumberEntriesReadAsZeroAndTheCodeTextIsEmpty) {
    UseList(kFive);
    userSuite = nullptr;
    ReportErrorCode(&message.d, 5);
    ExpectBox("Five", "");
}

// A box whose texts cannot be set would show "Message" and "Code".
TEST_F(ErrorReport, WithoutTheItemSuiteNoBoxOpens) {
    UseList(kFive);
    itemSuite = nullptr;
    ReportErrorCode(&message.d, 5);
    EXPECT_TRUE(host.dialogs.empty());
}

TEST(StringForms, CStringToPascalConvertsUpTo255CharactersInPlace) {
    struct Case {
        size_t length;
        bool converts;
    };
    const Case cases[] = {{0, true}, {1, true}, {255, true}, {256, false}, {300, false}};
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << cases[i].length << " characters");
        unsigned char buffer[400];
        std::memset(buffer, 0xEE, sizeof buffer);
        for (size_t k = 0; k < cases[i].length; ++k) buffer[k] = static_cast<unsigned char>('a' + k % 26);
        buffer[cases[i].length] = 0;
        unsigned char before[400];
        std::memcpy(before, buffer, sizeof buffer);

        unsigned char* result = CStringToPascal(buffer);

        if (!cases[i].converts) {
            EXPECT_EQ(result, nullptr);
            EXPECT_EQ(std::memcmp(buffer, before, sizeof buffer), 0);
            continue;
        }
        EXPECT_EQ(result, buffer);
        EXPECT_EQ(buffer[0], cases[i].length);
        EXPECT_EQ(std::memcmp(buffer + 1, before, cases[i].length), 0);
        EXPECT_EQ(buffer[cases[i].length + 1], 0xEE) << "wrote past the text";
    }
}

TEST(StringForms, PascalStringToCConvertsInPlace) {
    unsigned char empty[4] = {0, 'x', 'y', 'z'};
    EXPECT_EQ(PascalStringToC(empty), empty);
    EXPECT_EQ(empty[0], 0);

    unsigned char full[256];
    full[0] = 255;
    for (int k = 1; k < 256; ++k) full[k] = static_cast<unsigned char>('A' + k % 26);
    std::string expected(reinterpret_cast<const char*>(full) + 1, 255);
    PascalStringToC(full);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(full)), expected);
}

TEST(StringForms, FourCharactersAndCodesAreInversesInMemoryOrder) {
    const ErrorCode codes[] = {FourChars("!ico"), FourChars("S!Fd"), 0x00414243, 65536, -1};
    for (size_t i = 0; i < std::size(codes); ++i) {
        unsigned char text[5] = {};
        CodeToFourChars(codes[i], text);
        EXPECT_EQ(text[0], 4) << "case " << i;
        EXPECT_EQ(FourCharsToCode(text), codes[i]) << "case " << i;
        EXPECT_EQ(text[1], static_cast<unsigned char>(static_cast<uint32_t>(codes[i]) & 0xFF)) << "case " << i;
    }
    const unsigned char longer[] = {6, 'o', 'c', 'i', '!', 'x', 'y'};
    EXPECT_EQ(FourCharsToCode(longer), FourChars("!ico"));
}

// Through PluginMain: a drag whose segments cannot be stored is reported once.
class FailingDrag : public PluginTest {};

TEST_F(FailingDrag, ShowsOneErrorBoxWithTheCodesMessageAndReturnsTheCode) {
    struct Case {
        ErrorCode code;
        const char* codeText;
    };
    const Case cases[] = {{-50, "-50"}, {FourChars("!seg"), "ges!"}};
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        StartUp();
        host.dialogs.clear();
        host.strings[{16050, 1}] = "ges!";
        host.strings[{16050, 2}] = "The segments could not be stored.";
        host.strings[{16050, 3}] = "-50";
        host.strings[{16050, 4}] = "The path could not be changed.";
        host.strings[{16050, 5}] = "";
        host.ClearFailures();
        host.Fail("AI Path Suite", 3, cases[i].code);
        ASSERT_EQ(SendTool(kSelectorMouseDown, Point{0, 0}), kNoError);

        EXPECT_EQ(SendTool(kSelectorMouseDrag, Point{50, 5}), cases[i].code);

        ASSERT_EQ(host.dialogs.size(), 1u);
        EXPECT_EQ(host.dialogs[0].name, "Error Dialog");
        EXPECT_EQ(host.dialogs[0].items[2].text, i == 0 ? "The path could not be changed." : "The segments could not be stored.");
        EXPECT_EQ(host.dialogs[0].items[3].text, cases[i].codeText);
    }
}

}  // namespace
