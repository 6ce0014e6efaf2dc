#include "ui/Dialogs.h"

#include "shell/SuiteTable.h"

// The plug-in passes no dialog options of its own.
constexpr int32_t kDialogStyle = 0;

ErrorCode RunAboutBox(MessageHeader* message) {
    if (dialogSuite == nullptr) return kNoError;
    return dialogSuite->RunModal(message->plugin, kAboutDialogName, kAboutDialogId, kDialogStyle, AboutBoxInit,
                                 nullptr);
}

ErrorCode RunErrorBox(MessageHeader* message, ErrorTexts* texts) {
    if (dialogSuite == nullptr) return kNoError;
    dialogSuite->RunModal(message->plugin, kErrorDialogName, kErrorDialogId, kDialogStyle, ErrorBoxInit, texts);
    return kNoError;
}

// Init procedures run inside the host's modal run; without the suites they
// need they leave the box as the template made it.
static void SetItemText(DialogRef dialog, int32_t itemId, const char* text) {
    ItemRef item = dialogSuite->ItemById(dialog, itemId);
    itemSuite->SetItemText(item, text);
}

static void ConnectOkButton(DialogRef dialog) {
    ItemRef ok = dialogSuite->ItemById(dialog, kItemOk);
    itemSuite->SetNotifyProc(ok, OkButtonNotify);
}

extern "C" ErrorCode AboutBoxInit(DialogRef dialog) {
    if (dialogSuite == nullptr || itemSuite == nullptr) return kNoError;
    ConnectOkButton(dialog);
    return kNoError;
}

extern "C" ErrorCode ErrorBoxInit(DialogRef dialog) {
    if (dialogSuite == nullptr || itemSuite == nullptr) return kNoError;
    ConnectOkButton(dialog);
    const ErrorTexts* texts = static_cast<const ErrorTexts*>(dialogSuite->UserDataOf(dialog));
    if (texts == nullptr) return kNoError;
    SetItemText(dialog, kItemMessage, texts->messageText);
    SetItemText(dialog, kItemCode, texts->codeText);
    return kNoError;
}

extern "C" void OkButtonNotify(ItemRef item, NotifierRef notifier) {
    if (itemSuite == nullptr) return;
    itemSuite->DefaultNotify(item, notifier);
}
