// The host's dialog manager ("ADM Dialog Suite", "ADM Item Suite"): modal runs
// of the module's dialogs, closed the way a user presses OK.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/DialogProcs.h"
#include "simhost/ResourceDecode.h"
#include "simhost/ResourceReader.h"

namespace simhost {

constexpr int32_t kItemIdNone = 65535;     // an item the template gives no id
constexpr int32_t kModalFailed = -1;       // RunModal result when no box could be made

// One item of a box: where its template put it, and its text when the box closed.
struct BoxItem {
    int32_t id = kItemIdNone;
    std::string className;  // "button", "static", ... (lower case)
    uint32_t style = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;  // dialog units, in the box's client area
    std::string text;
};

// A box as it was when it closed, for tests and the program's report.
struct ClosedBox {
    std::string name;        // as the plug-in named it
    int32_t templateId = 0;
    std::string title;       // the template's caption
    uint32_t style = 0;      // the template's window style (caption, system menu, ...)
    int16_t cx = 0, cy = 0;  // the client area, in dialog units
    std::string fontName;    // the template's font ("MS Sans Serif")
    uint16_t pointSize = 0;
    std::vector<BoxItem> items;  // every item, in template order
    int32_t result = 0;      // what RunModal returned
};

// The printable form, one line each: the header `"NAME" TEMPLATE "TITLE" result N`
// and one `ID: TEXT` per item. Backslashes and control characters are written
// as escapes (a carriage return as \r), so a text never breaks its line.
std::string BoxHeaderLine(const ClosedBox& box);
std::string BoxItemLine(const BoxItem& item);
// Text with backslashes and control characters escaped (and quotes, if `quotes`).
std::string EscapeLineText(const std::string& text, bool quotes);

// The record of a box as its template makes it: every item with the template's
// text, result 0. A host fills in the texts and the result when the box closes.
ClosedBox BoxFromTemplate(const std::string& name, int32_t templateId, const DialogTemplate& dialog);

class SystemBoxes;  // SystemBoxes.h

class DialogHost {
public:
    struct Dialog;
    struct Item {
        BoxItem record;  // id, class, place and the current text
        ItemNotifyProc notify = nullptr;
        Dialog* dialog = nullptr;
    };
    struct Dialog {
        ClosedBox record;  // name, template, title, size, font, result (items: see below)
        void* userData = nullptr;
        std::vector<std::unique_ptr<Item>> items;
        bool open = true;
    };
    // What a notification carries: which item, and that it was a press.
    struct Notifier {
        Item* item = nullptr;
    };

    // The module's resources, where the templates are; without them no box opens.
    void SetResources(const ResourceSource* resources) { resources_ = resources; }
    // Boxes the system shows for real (Windows); null: the host presses OK
    // itself, without a window.
    void SetSystemBoxes(std::shared_ptr<SystemBoxes> system) { system_ = std::move(system); }
    // How long a real box stays up before the host presses its OK button, in milliseconds.
    int holdMs = 0;

    // "ADM Dialog Suite" entry 1: builds the box, calls init, then presses OK.
    // Returns the id of the item that closed it, or kModalFailed.
    int32_t RunModal(const char* name, int32_t templateId, DialogInitProc init, void* userData);
    // Entry 23.
    void* UserDataOf(DialogRef dialog) const;
    // Entry 68: null when the box has no item with that id.
    ItemRef ItemById(DialogRef dialog, int32_t itemId) const;
    // "ADM Item Suite" entries 10, 12, 72.
    void SetNotifyProc(ItemRef item, ItemNotifyProc notify);
    void DefaultNotify(ItemRef item, NotifierRef notifier);
    void SetItemText(ItemRef item, const char* text);
    // A press of `item` as a user makes it: to its notify procedure, or to the default handling.
    void Press(Item& item);

    const std::vector<ClosedBox>& Boxes() const { return boxes_; }
    // True while a modal run is in progress.
    bool Running() const { return !running_.empty(); }
    // Whether `item` is an item of an open box (for the suites' argument checks).
    bool IsItem(ItemRef item) const;
    bool IsDialog(DialogRef dialog) const;

private:
    std::unique_ptr<Dialog> Build(const char* name, int32_t templateId, void* userData) const;
    // Calls init, then presses OK, with no window; false when init failed.
    bool RunWithoutWindow(Dialog& dialog, DialogInitProc init);

    const ResourceSource* resources_ = nullptr;
    std::shared_ptr<SystemBoxes> system_;
    std::vector<Dialog*> running_;  // innermost last
    std::vector<ClosedBox> boxes_;
};

}  // namespace simhost
