#include "simhost/Dialogs.h"

#include <algorithm>

#include "simhost/ResourceDecode.h"

namespace simhost {

namespace {

constexpr int32_t kItemOk = 1;

// Without the module's resources a box still gets the items the plug-in's boxes use.
constexpr int32_t kFallbackItems[] = {1, 2, 3, 4};

}  // namespace

std::unique_ptr<DialogHost::Dialog> DialogHost::Build(const char* name, int32_t templateId, void* userData) const {
    auto dialog = std::make_unique<Dialog>();
    dialog->name = name != nullptr ? name : "";
    dialog->templateId = templateId;
    dialog->userData = userData;
    if (resources_ == nullptr) {
        for (int32_t id : kFallbackItems) {
            auto item = std::make_unique<Item>();
            item->id = id;
            item->dialog = dialog.get();
            dialog->items.push_back(std::move(item));
        }
        return dialog;
    }
    if (templateId < 0 || templateId > 0xFFFF) return nullptr;
    std::string error;
    const auto found = LoadDialogTemplate(*resources_, static_cast<uint16_t>(templateId), &error);
    if (!found) return nullptr;
    dialog->title = found->title;
    for (const DialogItemTemplate& t : found->items) {
        auto item = std::make_unique<Item>();
        item->id = t.id;
        item->className = t.className;
        item->text = t.text;
        item->dialog = dialog.get();
        dialog->items.push_back(std::move(item));
    }
    return dialog;
}

int32_t DialogHost::RunModal(const char* name, int32_t templateId, DialogInitProc init, void* userData) {
    std::unique_ptr<Dialog> dialog = Build(name, templateId, userData);
    if (dialog == nullptr) return kModalFailed;
    running_.push_back(dialog.get());
    const ErrorCode initResult = init != nullptr ? init(reinterpret_cast<DialogRef>(dialog.get())) : 0;
    if (initResult != 0) {
        // A box whose init fails is not shown.
        dialog->open = false;
        dialog->result = kModalFailed;
    } else {
        // The user presses OK: the OK item's notification goes to its procedure,
        // or straight to the default handling.
        const auto ok = std::find_if(dialog->items.begin(), dialog->items.end(),
                                     [](const auto& item) { return item->id == kItemOk; });
        if (ok != dialog->items.end()) {
            Item* item = ok->get();
            Notifier notifier{item};
            if (item->notify != nullptr) {
                item->notify(reinterpret_cast<ItemRef>(item), reinterpret_cast<NotifierRef>(&notifier));
            } else {
                DefaultNotify(reinterpret_cast<ItemRef>(item), reinterpret_cast<NotifierRef>(&notifier));
            }
        }
        // A box that nothing closed is closed by the host, as if dismissed.
        if (dialog->open) {
            dialog->open = false;
            dialog->result = 0;
        }
    }
    running_.pop_back();
    ClosedBox box;
    box.name = dialog->name;
    box.templateId = templateId;
    box.title = dialog->title;
    for (const auto& item : dialog->items) box.items.emplace_back(item->id, item->text);
    box.result = dialog->result;
    boxes_.push_back(std::move(box));
    return dialog->result;
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

ItemRef DialogHost::ItemById(DialogRef dialog, int32_t itemId) const {
    if (!IsDialog(dialog) || itemId == kItemIdNone) return nullptr;
    for (const auto& item : reinterpret_cast<Dialog*>(dialog)->items) {
        if (item->id == itemId) return reinterpret_cast<ItemRef>(item.get());
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
    if (pressed->id != kItemOk || !pressed->dialog->open) return;
    pressed->dialog->open = false;
    pressed->dialog->result = pressed->id;
}

void DialogHost::SetItemText(ItemRef item, const char* text) {
    if (IsItem(item)) reinterpret_cast<Item*>(item)->text = text != nullptr ? text : "";
}

}  // namespace simhost
