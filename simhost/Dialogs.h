// The host's dialog manager ("ADM Dialog Suite", "ADM Item Suite"): modal runs
// of the module's dialogs, closed the way a user presses OK.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/DialogProcs.h"
#include "simhost/ResourceReader.h"

namespace simhost {

constexpr int32_t kItemIdNone = 65535;     // an item the template gives no id
constexpr int32_t kModalFailed = -1;       // RunModal result when no box could be made

// A box as it was when it closed, for tests and the program's report.
struct ClosedBox {
    std::string name;        // as the plug-in named it
    int32_t templateId = 0;
    std::string title;       // the template's caption
    std::vector<std::pair<int32_t, std::string>> items;  // id and text, in template order
    int32_t result = 0;      // what RunModal returned
};

class DialogHost {
public:
    struct Dialog;
    struct Item {
        int32_t id = kItemIdNone;
        std::string className;
        std::string text;
        ItemNotifyProc notify = nullptr;
        Dialog* dialog = nullptr;
    };
    struct Dialog {
        std::string name;
        int32_t templateId = 0;
        std::string title;
        void* userData = nullptr;
        std::vector<std::unique_ptr<Item>> items;
        bool open = true;
        int32_t result = 0;
    };
    // What a notification carries: which item, and that it was a press.
    struct Notifier {
        Item* item = nullptr;
    };

    // The module's resources (for the templates); may be null, then every box
    // gets the four items 1 to 4.
    void SetResources(const ResourceSource* resources) { resources_ = resources; }

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

    const std::vector<ClosedBox>& Boxes() const { return boxes_; }
    // True while a modal run is in progress.
    bool Running() const { return !running_.empty(); }
    // Whether `item` is an item of an open box (for the suites' argument checks).
    bool IsItem(ItemRef item) const;
    bool IsDialog(DialogRef dialog) const;

private:
    std::unique_ptr<Dialog> Build(const char* name, int32_t templateId, void* userData) const;

    const ResourceSource* resources_ = nullptr;
    std::vector<Dialog*> running_;  // innermost last
    std::vector<ClosedBox> boxes_;
};

}  // namespace simhost
