// The About box and the error box, built by the host from the module's templates.
#pragma once

#include "host/DialogProcs.h"
#include "host/Messages.h"
#include "ui/ErrorReport.h"

constexpr int32_t kAboutDialogId = 16050;
constexpr int32_t kErrorDialogId = 16051;
constexpr const char* kAboutDialogName = "About Dialog";
constexpr const char* kErrorDialogName = "Error Dialog";
constexpr int32_t kItemOk = 1;
constexpr int32_t kItemMessage = 2;
constexpr int32_t kItemCode = 3;

// Runs the About box; returns the host's modal result.
ErrorCode RunAboutBox(MessageHeader* message);
// Runs the error box with texts; nothing when "ADM Dialog Suite" is not held. Returns 0.
ErrorCode RunErrorBox(MessageHeader* message, ErrorTexts* texts);

extern "C" {
ErrorCode AboutBoxInit(DialogRef dialog);
ErrorCode ErrorBoxInit(DialogRef dialog);
void OkButtonNotify(ItemRef item, NotifierRef notifier);
}
