#include "shell/Lifetime.h"

#include "shell/Globals.h"
#include "shell/SuiteTable.h"

constexpr const char* kGlobalsBlockName = "globals";
constexpr int32_t kAddToolOptions = 1;
constexpr int16_t kSecondToolNumber = -2;
// The plug-in has one tool; its texts and icons are found by its index.
constexpr int32_t kToolIndex = 0;

ErrorCode OnStartup(MessageHeader* message) {
    void* block = nullptr;
    const ErrorCode result = blocksSuite->AllocateBlock(sizeof(PluginGlobals), kGlobalsBlockName, &block);
    if (result != kNoError) return result;
    pluginGlobals = static_cast<PluginGlobals*>(block);
    return SetPluginOptions(message);
}

ErrorCode SetPluginOptions(MessageHeader* message) {
    int32_t options = 0;
    ErrorCode result = pluginSuite->ReadOptions(message->plugin, &options);
    if (result != kNoError) return result;
    result = pluginSuite->WriteOptions(message->plugin, options | kOptionBitToolPlugin);
    if (result != kNoError) return result;
    return RegisterTools(message);
}

ErrorCode RegisterTools(MessageHeader* message) {
    // The reads' results are not tested; empty texts stand in for a failed read.
    char title[256] = "";
    char tooltip[256] = "";
    admBasicSuite->ReadListString(message->plugin, kToolStringListId, 2 * kToolIndex + 1, title, sizeof title);
    admBasicSuite->ReadListString(message->plugin, kToolStringListId, 2 * kToolIndex + 2, tooltip, sizeof tooltip);
    // A host may fill the buffer without a terminator; never hand on an unterminated text.
    title[sizeof title - 1] = '\0';
    tooltip[sizeof tooltip - 1] = '\0';

    ToolDescription description = {};
    description.title = title;
    description.tooltip = tooltip;

    description.icon = iconSuite->IconFromResource(message->plugin, kToolIconBaseId, kToolIndex + 1);
    if (iconSuite->IconType(description.icon) == kIconTypeUnusable) return kErrorNoIcon;

    // Without a "Tarvink" tool the number stays 0 and the host places the tool itself.
    toolSuite->ToolNumberByName(kGroupWithToolName, &description.firstToolNumber);
    description.secondToolNumber = kSecondToolNumber;

    ErrorCode result =
        toolSuite->AddTool(message->plugin, title, &description, kAddToolOptions, &pluginGlobals->toolHandle);
    if (result != kNoError) return result;

    const IconHandle secondIcon = iconSuite->IconFromResource(message->plugin, kToolSecondIconBaseId, kToolIndex + 1);
    if (iconSuite->IconType(secondIcon) == kIconTypeUnusable) return kNoError;  // the tool keeps one icon
    result = toolSuite->AddToolIcon(pluginGlobals->toolHandle, secondIcon);
    if (result != kNoError) return result;
    return kNoError;
}

ErrorCode OnShutdown(MessageHeader* message) {
    // A hold of our own on the blocks suite, so the block is freed through a
    // suite this handler knows is held, whatever the table's state.
    const ErrorCode result = message->basic->AcquireSuite(kBlocksSuiteName, kBlocksSuiteVersion,
                                                          reinterpret_cast<const void**>(&blocksSuite));
    if (result == kNoError) {
        blocksSuite->FreeBlock(pluginGlobals);
        pluginGlobals = nullptr;
        message->basic->ReleaseSuite(kBlocksSuiteName, kBlocksSuiteVersion);
    }
    message->globals = nullptr;
    return result;
}
