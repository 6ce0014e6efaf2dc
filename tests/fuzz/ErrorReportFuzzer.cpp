// libFuzzer harness: the error report over random error lists (long, empty,
// odd characters, numbers out of every range, lists that never end, entries
// that fill their buffers without a terminator) and random codes, against a
// host whose every answer the input decides: it can fail any call, give any
// number for a number entry, or find no dialog item.
//
// The host here is a small one of the harness's own, set straight into the
// suite slots: the report's calls are all it needs, and a recording host
// would spend the run on its records (a list that never ends is read 16 384
// times).
//
// Checked at every input: the report returns, reads no entry past the 16-bit
// index, shows at most one box, and hands the box texts that fit their buffers
// (an overread of an unterminated one is AddressSanitizer's to find).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "shell/SuiteTable.h"
#include "ui/Dialogs.h"
#include "ui/ErrorReport.h"

namespace {

[[noreturn]] void Broken(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "error_report_fuzzer: %s %s\n", what, detail.c_str());
    std::abort();
}

// What the input decided for this run.
struct World {
    std::vector<std::string> list;  // entries from index 0
    bool endless = false;           // the entries repeat forever, none empty
    bool unterminated = false;      // an entry that fills the buffer gets no terminator
    int failingCall = 0;            // the nth host call fails (0: none)
    ErrorCode failure = 0;
    bool hostileNumbers = false;    // number entries read as `number`, whatever they say
    float number = 0.0f;
    bool itemsMissing = false;      // the dialog finds no item
    // What happened.
    int calls = 0;
    int reads = 0;
    int highestIndex = -1;
    int boxes = 0;
    void* userData = nullptr;
};
World world;

bool Fails() { return ++world.calls == world.failingCall; }

ErrorCode ReadListString(PluginRef, int32_t listId, int32_t index, char* buffer, int32_t capacity) {
    ++world.reads;
    world.highestIndex = std::max(world.highestIndex, index);
    if (index < 0) Broken("read at a negative index:", std::to_string(index));
    if (Fails()) return world.failure;
    std::string entry;
    if (listId == kErrorStringListId && index >= 0 && !world.list.empty()) {
        if (world.endless) {
            entry = world.list[static_cast<size_t>(index) % world.list.size()];
            if (entry.empty()) entry = "x";
        } else if (static_cast<size_t>(index) < world.list.size()) {
            entry = world.list[static_cast<size_t>(index)];
        }
    }
    const auto room = static_cast<size_t>(capacity);
    if (world.unterminated && entry.size() >= room) {
        std::memcpy(buffer, entry.data(), room);
        return kNoError;
    }
    const size_t length = std::min(entry.size(), room - 1);
    std::memcpy(buffer, entry.data(), length);
    buffer[length] = '\0';
    return kNoError;
}

void ShowAlert(const char*) { Broken("the report showed an alert"); }

ErrorCode NumberToText(float value, int16_t precision, unsigned char* text) {
    if (Fails()) return world.failure;
    char digits[400];
    const int length = std::snprintf(digits, sizeof digits, "%.*f", static_cast<int>(precision), static_cast<double>(value));
    text[0] = static_cast<unsigned char>(std::min(std::max(length, 0), 255));
    std::memcpy(text + 1, digits, text[0]);
    return kNoError;
}

ErrorCode TextToNumber(const unsigned char* text, float* value) {
    if (Fails()) return world.failure;
    if (world.hostileNumbers) {
        *value = world.number;
        return kNoError;
    }
    const std::string digits(reinterpret_cast<const char*>(text) + 1, text[0]);
    *value = std::strtof(digits.c_str(), nullptr);
    return kNoError;
}

DialogRef DialogToken() { return reinterpret_cast<DialogRef>(&world); }

int32_t RunModal(PluginRef, const char*, int32_t, int32_t, DialogInitProc init, void* userData) {
    if (Fails()) return -1;
    ++world.boxes;
    world.userData = userData;
    if (init != nullptr) init(DialogToken());
    return 1;
}

void* UserDataOf(DialogRef dialog) { return dialog == DialogToken() ? world.userData : nullptr; }

ItemRef ItemById(DialogRef, int32_t id) {
    return world.itemsMissing ? nullptr : reinterpret_cast<ItemRef>(static_cast<uintptr_t>(id));
}

void SetNotifyProc(ItemRef, ItemNotifyProc) {}
void DefaultNotify(ItemRef, NotifierRef) {}

void SetItemText(ItemRef item, const char* text) {
    if (item == nullptr) return;
    const size_t length = std::strlen(text);
    if (reinterpret_cast<uintptr_t>(item) == kItemMessage && length > 255) Broken("message longer than its buffer");
    if (reinterpret_cast<uintptr_t>(item) == kItemCode && length > 15) Broken("code text longer than its buffer");
}

std::string AnyEntry(FuzzedDataProvider& in) {
    const char* const entries[] = {"",     "5",     "-108", "oci!", "1e40",  "-1e40", "nan",  "-nan", "65535",
                                   "-0",   "2.9",   "-2.9", "1abc", "-",     "0x10",  "inf",  "-inf", "4294967296",
                                   "\xff\xfe", " 7", "9999999999999999999999"};
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
        case 0: return entries[in.ConsumeIntegralInRange<size_t>(0, std::size(entries) - 1)];
        case 1: return std::string(in.ConsumeIntegralInRange<size_t>(250, 300), in.ConsumeIntegral<char>());
        default: return in.ConsumeRandomLengthString(64);
    }
}

float AnyNumber(FuzzedDataProvider& in) {
    const float numbers[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(), 3e38f, -3e38f, 2147483648.0f, -2147483904.0f,
                             65535.0f, -32769.0f, -0.0f};
    if (in.ConsumeBool()) return numbers[in.ConsumeIntegralInRange<size_t>(0, std::size(numbers) - 1)];
    const auto bits = in.ConsumeIntegral<uint32_t>();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

AdmBasicSuite admBasic;
UserSuite user;
DialogSuite dialog;
ItemSuite item;

void HoldSuites(FuzzedDataProvider& in) {
    admBasic.ReadListString = ReadListString;
    admBasic.ShowAlert = ShowAlert;
    user.NumberToText = NumberToText;
    user.TextToNumber = TextToNumber;
    dialog.RunModal = RunModal;
    dialog.UserDataOf = UserDataOf;
    dialog.ItemById = ItemById;
    item.SetNotifyProc = SetNotifyProc;
    item.DefaultNotify = DefaultNotify;
    item.SetItemText = SetItemText;
    admBasicSuite = &admBasic;
    dialogSuite = &dialog;
    // The report may do without these two.
    userSuite = in.ConsumeBool() ? &user : nullptr;
    itemSuite = in.ConsumeBool() ? &item : nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    world = World{};
    ErrorCode code = in.ConsumeIntegral<int32_t>();
    if (in.ConsumeBool()) code = static_cast<ErrorCode>(0x2169636F);  // '!ico', the module's own
    world.endless = in.ConsumeBool();
    world.unterminated = in.ConsumeBool();
    world.itemsMissing = in.ConsumeBool();
    if (in.ConsumeBool()) {
        world.failingCall = in.ConsumeIntegralInRange<int>(1, 64);
        world.failure = in.ConsumeIntegral<int32_t>();
    }
    world.hostileNumbers = in.ConsumeBool();
    world.number = AnyNumber(in);
    const size_t entries = in.ConsumeIntegralInRange<size_t>(0, 24);
    for (size_t i = 0; i < entries; ++i) world.list.push_back(AnyEntry(in));
    HoldSuites(in);

    MessageHeader header{};
    ReportErrorCode(&header, code);

    if (world.highestIndex > 32767) Broken("read past the 16-bit index:", std::to_string(world.highestIndex));
    if (world.reads > 16384 + 1) Broken("read too many entries:", std::to_string(world.reads));
    if (world.boxes > 1) Broken("more than one box");
    if ((code == 0 || code == kErrorStop) && (world.reads != 0 || world.boxes != 0)) Broken("reported 0 or 'STOP'");

    admBasicSuite = nullptr;
    userSuite = nullptr;
    dialogSuite = nullptr;
    itemSuite = nullptr;
    return 0;
}
