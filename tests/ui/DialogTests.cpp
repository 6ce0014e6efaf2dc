// The About box and the error box: what the host is asked to run, and what
// the init and notify procedures do inside the modal run.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "shell/SuiteTable.h"
#include "tests/fakehost/PluginFixture.h"
#include "ui/Dialogs.h"

namespace {

using Names = std::vector<std::string>;

class Dialogs : public PluginTest {};

TEST_F(Dialogs, AboutShowsTheAboutBoxAndSucceedsWhateverTheModalRunReturns) {
    const int32_t modalResults[] = {1, 0, -1, 0x7FFFFFFF};
    for (size_t i = 0; i < std::size(modalResults); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i << ": modal result " << modalResults[i]);
        host.ClearCalls();
        host.dialogs.clear();
        host.modalResult = modalResults[i];

        EXPECT_EQ(Send(kCallerInterface, kSelectorAbout), kNoError);

        const std::string ok = FakeHost::Hex(FakeHost::ItemOf(0, 1));
        EXPECT_EQ(host.Texts(kDialogSuiteName),
                  (Names{"ADM Dialog Suite 1(" + FakeHost::Hex(FakeHost::kPlugin) + ", About Dialog, 16050, 0, proc, null) -> " +
                             std::to_string(modalResults[i]),
                         "ADM Dialog Suite 68(" + FakeHost::Hex(FakeHost::DialogOf(0)) + ", 1) -> " + ok}));
        EXPECT_EQ(host.Texts(kItemSuiteName), Names{"ADM Item Suite 10(" + ok + ", proc)"});
        ASSERT_EQ(host.dialogs.size(), 1u);
        EXPECT_EQ(host.dialogs[0].initResult, kNoError);
        EXPECT_EQ(host.dialogs[0].items[1].notify, &OkButtonNotify);
        for (const FakeHost::DialogItem& item : host.dialogs[0].items) EXPECT_FALSE(item.text.has_value());
        EXPECT_TRUE(host.CallsTo("ADM Basic Suite").empty()) << "nothing reported";
    }
}

TEST_F(Dialogs, TheOkButtonHandsEveryNotificationToItsDefaultHandling) {
    HoldSuites();
    RunAboutBox(&message.d);
    ASSERT_EQ(host.dialogs.size(), 1u);
    const ItemNotifyProc notify = host.dialogs[0].items[1].notify;
    ASSERT_NE(notify, nullptr);
    const ItemRef ok = FakeHost::ItemOf(0, 1);
    const NotifierRef notifier = FakeHandle<NotifierRef>(0x4242);
    host.ClearCalls();

    notify(ok, notifier);

    EXPECT_EQ(host.Texts(kItemSuiteName),
              Names{"ADM Item Suite 12(" + FakeHost::Hex(ok) + ", " + FakeHost::Hex(notifier) + ")"});
}

TEST_F(Dialogs, TheErrorBoxFillsItsTwoTextItemsFromItsUserData) {
    struct Case {
        const char* messageText;
        const char* codeText;
        int32_t modalResult;
    };
    const Case cases[] = {{"The path could not be changed.", "-50", 1}, {"", "oci!", 0}, {"Five", "", -7}};
    HoldSuites();
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i);
        host.ClearCalls();
        host.dialogs.clear();
        host.modalResult = c.modalResult;
        ErrorTexts texts{};
        std::snprintf(texts.messageText, sizeof texts.messageText, "%s", c.messageText);
        std::snprintf(texts.codeText, sizeof texts.codeText, "%s", c.codeText);

        EXPECT_EQ(RunErrorBox(&message.d, &texts), kNoError);

        const std::string dialog = FakeHost::Hex(FakeHost::DialogOf(0));
        const std::string item1 = FakeHost::Hex(FakeHost::ItemOf(0, 1));
        const std::string item2 = FakeHost::Hex(FakeHost::ItemOf(0, 2));
        const std::string item3 = FakeHost::Hex(FakeHost::ItemOf(0, 3));
        Names seen;
        for (const FakeHost::Call& call : host.calls) seen.push_back(call.Text());
        EXPECT_EQ(seen, (Names{
                            "ADM Dialog Suite 1(" + FakeHost::Hex(FakeHost::kPlugin) + ", Error Dialog, 16051, 0, proc, " +
                                FakeHost::Hex(&texts) + ") -> " + std::to_string(c.modalResult),
                            "ADM Dialog Suite 68(" + dialog + ", 1) -> " + item1,
                            "ADM Item Suite 10(" + item1 + ", proc)",
                            "ADM Dialog Suite 23(" + dialog + ") -> " + FakeHost::Hex(&texts),
                            "ADM Dialog Suite 68(" + dialog + ", 2) -> " + item2,
                            "ADM Item Suite 72(" + item2 + ", " + c.messageText + ")",
                            "ADM Dialog Suite 68(" + dialog + ", 3) -> " + item3,
                            "ADM Item Suite 72(" + item3 + ", " + c.codeText + ")",
                        }));
        ASSERT_EQ(host.dialogs.size(), 1u);
        EXPECT_EQ(host.dialogs[0].items[1].notify, &OkButtonNotify);
        EXPECT_EQ(host.dialogs[0].items[2].text, c.messageText);
        EXPECT_EQ(host.dialogs[0].items[3].text, c.codeText);
        EXPECT_FALSE(host.dialogs[0].items[4].text.has_value());
    }
}

TEST_F(Dialogs, WithoutTheDialogSuiteNoBoxIsRun) {
    HoldSuites();
    dialogSuite = nullptr;
    ErrorTexts texts{};
    EXPECT_EQ(RunErrorBox(&message.d, &texts), kNoError);
    EXPECT_EQ(RunAboutBox(&message.d), kNoError);
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(Dialogs, WithoutTheItemSuiteTheAboutBoxStillOpens) {
    HoldSuites();
    itemSuite = nullptr;
    EXPECT_EQ(RunAboutBox(&message.d), host.modalResult);
    ASSERT_EQ(host.dialogs.size(), 1u);
    EXPECT_EQ(host.dialogs[0].initResult, kNoError);
    EXPECT_EQ(host.dialogs[0].items[1].notify, nullptr);
}

}  // namespace
