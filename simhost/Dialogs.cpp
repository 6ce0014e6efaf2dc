#include "simhost/Dialogs.h"

#include "simhost/SystemBoxes.h"

#include <algorithm>
#include <cstdio>

namespace simhost {

namespace {

constexpr int32_t kItemOk = 1;

}  // namespace

std::string EscapeLineText(const std::string& text, bool quotes) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '"' && quotes) {
            out += "\\\"";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            out += escape;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string BoxHeaderLine(const ClosedBox& box) {
    return "\"" + EscapeLineText(box.name, true) + "\" " + std::to_string(box.templateId) + " \"" +
           EscapeLineText(box.title, true) + "\" result " + std::to_string(box.result);
}

std::string BoxItemLine(const BoxItem& item) { return std::to_string(item.id) + ": " + EscapeLineText(item.text, false); }

ClosedBox BoxFromTemplate(const std::string& name, int32_t templateId, const DialogTemplate& dialog) {
    ClosedBox box;
    box.name = name;
    box.templateId = templateId;
    box.title = dialog.title;
    box.style = dialog.style;
    box.cx = dialog.cx;
    box.cy = dialog.cy;
    box.fontName = dialog.fontName;
    box.pointSize = dialog.pointSize;
    for (const DialogItemTemplate& t : dialog.items) {
        box.items.push_back(BoxItem{t.id, t.className, t.style, t.x, t.y, t.cx, t.cy, t.text});
    }
    return box;
}

std::unique_ptr<DialogHost::Dialog> DialogHost::Build(const char* name, int32_t templateId, void* userData) const {
    if (resources_ == nullptr || templateId < 0 || templateId > 0xFFFF) return nullptr;
    std::string error;
    const auto found = LoadDialogTemplate(*resources_, static_cast<uint16_t>(templateId), &error);
    if (!found) return nullptr;
    auto dialog = std::make_unique<Dialog>();
    dialog->record = BoxFromTemplate(name != nullptr ? name : "", templateId, *found);
    dialog->userData = userData;
    // The items live while the box is open; the record takes their texts when it closes.
    for (BoxItem& record : dialog->record.items) {
        auto item = std::make_unique<Item>();
        item->record = std::move(record);
        item->dialog = dialog.get();
        dialog->items.push_back(std::move(item));
    }
    dialog->record.items.clear();
    return dialog;
}

int32_t DialogHost::RunModal(const char* name, int32_t templateId, DialogInitProc init, void* userData) {
    // No template, no box: init is not called.
    std::unique_ptr<Dialog> dialog = Build(name, templateId, userData);
    if (dialog == nullptr) return kModalFailed;
    running_.push_back(dialog.get());
    const bool shown = system_ != nullptr ? system_->Run(*this, *dialog, init) : RunWithoutWindow(*dialog, init);
    if (!shown) {
        // A box whose init fails is never shown, so nobody closes it and it is not recorded.
        running_.pop_back();
        return kModalFailed;
    }
    // A box that nothing closed is closed by the host, as if dismissed.
    if (dialog->open) {
        dialog->open = false;
        dialog->record.result = 0;
    }
    running_.pop_back();
    ClosedBox box = std::move(dialog->record);
    for (const auto& item : dialog->items) box.items.push_back(item->record);
    boxes_.push_back(std::move(box));
    return boxes_.back().result;
}

bool DialogHost::RunWithoutWindow(Dialog& dialog, DialogInitProc init) {
    if (init != nullptr && init(reinterpret_cast<DialogRef>(&dialog)) != 0) return false;
    // The user presses OK.
    const auto ok = std::find_if(dialog.items.begin(), dialog.items.end(),
                                 [](const auto& item) { return item->record.id == kItemOk; });
    if (ok != dialog.items.end()) Press(**ok);
    return true;
}

void DialogHost::Press(Item& item) {
    Notifier notifier{&item};
    if (item.notify != nullptr) {
        item.notify(reinterpret_cast<ItemRef>(&item), reinterpret_cast<NotifierRef>(&notifier));
    } else {
        DefaultNotify(reinterpret_cast<ItemRef>(&item), reinterpret_cast<NotifierRef>(&notifier));
    }
}

bool DialogHost::IsDialog(DialogRef dialog) const {
    return std::find(running_.begin(), running_.end(), reinterpret_cast<Dialog*>(dialog)) != running_.end();
}

bool DialogHost::IsItem(ItemRef item) const {
    for (const Dialog* dialog : running_) {
        for (const auto& candidate : dialog->items) {
            if (reinterpret_cast<ItemRef>(candidate.get()) == item) return true;
        }
    }
    return false;
}

void* DialogHost::UserDataOf(DialogRef dialog) const {
    return IsDialog(dialog) ? reinterpret_cast<Dialog*>(dialog)->userData : nullptr;
}

// Items without an id are items all the same; only this search cannot find them.
ItemRef DialogHost::ItemById(DialogRef dialog, int32_t itemId) const {
    if (!IsDialog(dialog) || itemId == kItemIdNone) return nullptr;
    for (const auto& item : reinterpret_cast<Dialog*>(dialog)->items) {
        if (item->record.id == itemId) return reinterpret_cast<ItemRef>(item.get());
    }
    return nullptr;
}

void DialogHost::SetNotifyProc(ItemRef item, ItemNotifyProc notify) {
    if (IsItem(item)) reinterpret_cast<Item*>(item)->notify = notify;
}

// The default handling of a press: the OK button closes its box with its id.
void DialogHost::DefaultNotify(ItemRef item, NotifierRef notifier) {
    if (!IsItem(item) || notifier == nullptr) return;
    Item* pressed = reinterpret_cast<Item*>(item);
    if (pressed->record.id != kItemOk || !pressed->dialog->open) return;
    pressed->dialog->open = false;
    pressed->dialog->record.result = pressed->record.id;
}

void DialogHost::SetItemText(ItemRef item, const char* text) {
    if (!IsItem(item)) return;
    Item* changed = reinterpret_cast<Item*>(item);
    changed->record.text = text != nullptr ? text : "";
    if (system_ != nullptr) system_->ShowText(*changed);
}

}  // namespace simhost
