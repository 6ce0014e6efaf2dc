// Real boxes on Windows: the module's own dialog template, taken from the
// loaded module with FindResource/LoadResource, made into a window with
// CreateDialogIndirectParam and run modally by the host's own message loop.
// The host's items (the module's ItemRefs) are the window's children in
// template order; the OK press is a click on the button, after the hold.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "simhost/SystemBoxes.h"

namespace simhost {

namespace {

constexpr int32_t kItemOk = 1;
constexpr UINT_PTR kPressTimer = 1;
constexpr uint16_t kExtendedTemplateMark = 0xFFFF;

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

std::string Utf8(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::string WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return Utf8(text);
}

// Picture statics hold an image, not a text; their record keeps the template's "#id".
bool HoldsText(const BoxItem& item) {
    constexpr uint32_t kStaticTypeMask = 0x1F;
    constexpr uint32_t kStaticIcon = 0x3, kStaticBitmap = 0xE, kStaticEnhancedMetafile = 0xF;
    if (item.className != "static") return true;
    const uint32_t type = item.style & kStaticTypeMask;
    return type != kStaticIcon && type != kStaticBitmap && type != kStaticEnhancedMetafile;
}

// One box while it is up.
struct OpenBox {
    DialogHost* host = nullptr;
    DialogHost::Dialog* dialog = nullptr;
    DialogInitProc init = nullptr;
    HWND window = nullptr;
    std::vector<HWND> items;  // the children, in template order: items[i] is dialog->items[i]
    bool initFailed = false;

    DialogHost::Item* ItemOf(HWND child) {
        const auto at = std::find(items.begin(), items.end(), child);
        return at == items.end() ? nullptr : dialog->items[static_cast<size_t>(at - items.begin())].get();
    }
    // Closed some other way than by the OK button's default handling: dismissed.
    void Dismiss() {
        if (!dialog->open) return;
        dialog->open = false;
        dialog->record.result = 0;
    }
};

INT_PTR CALLBACK BoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* box = reinterpret_cast<OpenBox*>(GetWindowLongPtrW(window, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            box = reinterpret_cast<OpenBox*>(lParam);
            SetWindowLongPtrW(window, DWLP_USER, lParam);
            box->window = window;
            // The dialog manager makes the children in template order.
            for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
                box->items.push_back(child);
            }
            if (box->items.size() != box->dialog->items.size()) {
                box->initFailed = true;
                return TRUE;
            }
            if (box->init != nullptr && box->init(reinterpret_cast<DialogRef>(box->dialog)) != 0) box->initFailed = true;
            return TRUE;
        }
        case WM_TIMER:
            if (box == nullptr || wParam != kPressTimer) break;
            KillTimer(window, kPressTimer);
            {
                // The user clicks OK; a box without one is dismissed.
                const auto& items = box->dialog->items;
                const auto ok = std::find_if(items.begin(), items.end(),
                                             [](const auto& item) { return item->record.id == kItemOk; });
                if (ok != items.end()) SendMessageW(box->items[static_cast<size_t>(ok - items.begin())], BM_CLICK, 0, 0);
                // A press that closed nothing leaves the box to the host, as if dismissed.
                box->Dismiss();
            }
            return TRUE;
        case WM_COMMAND:
            if (box == nullptr) break;
            if (DialogHost::Item* item = box->ItemOf(reinterpret_cast<HWND>(lParam)); item != nullptr) {
                if (HIWORD(wParam) == BN_CLICKED) box->host->Press(*item);
                return TRUE;
            }
            // Escape or the close box: the user dismissed it.
            if (LOWORD(wParam) == IDCANCEL) box->Dismiss();
            return TRUE;
        default:
            break;
    }
    return FALSE;
}

class WindowsBoxes final : public SystemBoxes {
public:
    explicit WindowsBoxes(HMODULE module) : module_(module) {}

    bool Run(DialogHost& host, DialogHost::Dialog& dialog, DialogInitProc init) override {
        const auto templateId = static_cast<uint16_t>(dialog.record.templateId);
        HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
        HGLOBAL loaded = found != nullptr ? LoadResource(module_, found) : nullptr;
        const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
        const DWORD size = found != nullptr ? SizeofResource(module_, found) : 0;
        // A template is a few hundred bytes; anything past 64 KiB is no template.
        constexpr DWORD kLargestTemplate = 0x10000;
        if (bytes == nullptr || size < sizeof(DLGTEMPLATE) || size > kLargestTemplate) return false;
        // A copy without WS_VISIBLE: the box shows only once init has succeeded.
        std::vector<DWORD> copy((size + sizeof(DWORD) - 1) / sizeof(DWORD));
        std::memcpy(copy.data(), bytes, size);
        const auto* words = reinterpret_cast<const uint16_t*>(copy.data());
        const bool extended = words[0] == 1 && words[1] == kExtendedTemplateMark;
        DWORD& style = extended ? copy[3] : copy[0];
        const bool visible = (style & WS_VISIBLE) != 0;
        style &= ~static_cast<DWORD>(WS_VISIBLE);

        OpenBox box;
        box.host = &host;
        box.dialog = &dialog;
        box.init = init;
        open_.push_back(&box);
        const bool shown = RunBox(box, reinterpret_cast<const DLGTEMPLATE*>(copy.data()), visible);
        open_.pop_back();
        return shown;
    }

    void ShowText(const DialogHost::Item& item) override {
        for (const OpenBox* box : open_) {
            if (box->dialog != item.dialog) continue;
            for (size_t i = 0; i < box->items.size(); ++i) {
                if (box->dialog->items[i].get() == &item) SetWindowTextW(box->items[i], Wide(item.record.text).c_str());
            }
        }
    }

private:
    bool RunBox(OpenBox& box, const DLGTEMPLATE* dialogTemplate, bool visible) {
        HWND window = CreateDialogIndirectParamW(module_, dialogTemplate, nullptr, BoxProcedure, reinterpret_cast<LPARAM>(&box));
        if (window == nullptr) return false;
        if (box.initFailed) {
            DestroyWindow(window);
            return false;
        }
        if (visible) ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
        SetTimer(window, kPressTimer, static_cast<UINT>(std::max(box.host->holdMs, static_cast<int>(USER_TIMER_MINIMUM))),
                 nullptr);

        // The modal loop: the box's messages until it is closed.
        MSG message;
        while (box.dialog->open) {
            const BOOL got = GetMessageW(&message, nullptr, 0, 0);
            if (got <= 0) {
                if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
                box.Dismiss();
                break;
            }
            if (!IsDialogMessageW(window, &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        // What the window showed at the end is the record.
        box.dialog->record.title = WindowText(window);
        for (size_t i = 0; i < box.items.size(); ++i) {
            BoxItem& record = box.dialog->items[i]->record;
            if (HoldsText(record)) record.text = WindowText(box.items[i]);
        }
        DestroyWindow(window);
        return true;
    }

    HMODULE module_;
    // Boxes up now, innermost last (an init may open another box).
    std::vector<OpenBox*> open_;
};

}  // namespace

std::shared_ptr<SystemBoxes> MakeSystemBoxes(ModuleInstance instance) {
    return std::make_shared<WindowsBoxes>(reinterpret_cast<HMODULE>(instance));
}

}  // namespace simhost
