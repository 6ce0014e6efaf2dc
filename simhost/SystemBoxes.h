// Boxes as the operating system shows them: on Windows a real dialog window
// built from the module's own template (DialogsWindows.cpp). Elsewhere there
// are none, and DialogHost presses OK itself without a window.
#pragma once

#include <memory>

#include "host/DialogProcs.h"
#include "host/HostTypes.h"
#include "simhost/Dialogs.h"

namespace simhost {

class SystemBoxes {
public:
    virtual ~SystemBoxes() = default;
    // Builds the window of `dialog` from its template in the module, calls
    // `init` once the window and its items exist, shows the box and, after the
    // host's hold, presses OK as a user would (the press reaches
    // DialogHost::Press). Returns once the box has closed, with the items'
    // texts read back from the window into their records. False when no
    // window could be made or init failed: the box was never shown.
    virtual bool Run(DialogHost& host, DialogHost::Dialog& dialog, DialogInitProc init) = 0;
    // Puts the text the module set on `item` (its record's text) into the item's window.
    virtual void ShowText(const DialogHost::Item& item) = 0;
};

// The system's boxes for the module `instance`; null where the platform has none.
std::shared_ptr<SystemBoxes> MakeSystemBoxes(ModuleInstance instance);

}  // namespace simhost
