#include "ui/ErrorReport.h"

#include <math.h>
#include <string.h>

#include "shell/SuiteTable.h"
#include "ui/Dialogs.h"

constexpr int32_t kCodeEntryCapacity = 255;
constexpr int32_t kMessageCapacity = 256;
constexpr int16_t kNumberPrecision = 0;

unsigned char* CStringToPascal(unsigned char* text) {
    const size_t length = strlen(reinterpret_cast<const char*>(text));
    if (length > 255) return nullptr;
    memmove(text + 1, text, length);
    text[0] = static_cast<unsigned char>(length);
    return text;
}

unsigned char* PascalStringToC(unsigned char* text) {
    const size_t length = text[0];
    memmove(text, text + 1, length);
    text[length] = '\0';
    return text;
}

void NumberCodeToText(ErrorCode code, char* out) {
    unsigned char* text = reinterpret_cast<unsigned char*>(out);
    text[0] = 0;  // an empty text if the host writes nothing
    // Every code shown in number form (-65536 to 65535) is exact as a float.
    if (userSuite != nullptr) userSuite->NumberToText(static_cast<float>(code), kNumberPrecision, text);
    // The buffer holds 16 bytes: a longer text from the host is cut, not overrun.
    if (text[0] > 15) text[0] = 15;
    PascalStringToC(text);
}

void TextToNumberCode(unsigned char* text, ErrorCode* out) {
    CStringToPascal(text);
    float value = 0.0f;
    if (userSuite != nullptr) userSuite->TextToNumber(text, &value);
    value = value > 0.0f ? floorf(value) : ceilf(value);
    // Outside the 32-bit range the conversion is undefined; such entries name no code.
    const int32_t whole = (value >= -2147483648.0f && value < 2147483648.0f) ? static_cast<int32_t>(value) : 0;
    *out = static_cast<int16_t>(static_cast<uint16_t>(whole & 0xFFFF));
}

ErrorCode FourCharsToCode(const unsigned char* text) {
    const uint32_t code = static_cast<uint32_t>(text[1]) | static_cast<uint32_t>(text[2]) << 8 |
                          static_cast<uint32_t>(text[3]) << 16 | static_cast<uint32_t>(text[4]) << 24;
    return static_cast<ErrorCode>(code);
}

void CodeToFourChars(ErrorCode code, unsigned char* out) {
    const uint32_t bits = static_cast<uint32_t>(code);
    out[0] = 4;
    out[1] = static_cast<unsigned char>(bits & 0xFF);
    out[2] = static_cast<unsigned char>(bits >> 8 & 0xFF);
    out[3] = static_cast<unsigned char>(bits >> 16 & 0xFF);
    out[4] = static_cast<unsigned char>(bits >> 24 & 0xFF);
}

static bool IsNumberEntry(const unsigned char* entry) {
    return entry[0] == '-' || (entry[0] >= '0' && entry[0] <= '9');
}

static ErrorCode CodeOfEntry(unsigned char* entry) {
    if (IsNumberEntry(entry)) {
        ErrorCode value = 0;
        TextToNumberCode(entry, &value);
        return value;
    }
    CStringToPascal(entry);
    return FourCharsToCode(entry);
}

// Finds the message index for code: the entry after its code entry, or the
// last message of the list. The 16-bit index stops the search before it wraps,
// so a list that never ends cannot hang the report: the last code entry read
// is the last whose message the index can still name.
static int16_t FindMessageIndex(PluginRef plugin, ErrorCode code) {
    unsigned char entry[256];
    int16_t index = 1;
    for (;;) {
        memset(entry, 0, sizeof entry);
        admBasicSuite->ReadListString(plugin, kErrorStringListId, index, reinterpret_cast<char*>(entry),
                                      kCodeEntryCapacity);
        entry[kCodeEntryCapacity] = '\0';
        if (entry[0] == '\0') return static_cast<int16_t>(index - 1);
        if (CodeOfEntry(entry) == code) return static_cast<int16_t>(index + 1);
        // The next code entry's message would lie past INT16_MAX: no end, this message is the last.
        if (index > INT16_MAX - 4) return static_cast<int16_t>(index + 1);
        index = static_cast<int16_t>(index + 2);
    }
}

static bool HasNumberForm(ErrorCode code) {
    const uint32_t high = static_cast<uint32_t>(code) >> 16;
    return high == 0x0000 || high == 0xFFFF;
}

void ReportErrorCode(MessageHeader* message, ErrorCode code) {
    if (code == kNoError || code == kErrorStop) return;
    if (admBasicSuite == nullptr || dialogSuite == nullptr) return;
    // Without the item suite the box could show only its placeholders; the
    // failed acquisition's alert has already told the user.
    if (itemSuite == nullptr) return;

    ErrorTexts texts;
    memset(&texts, 0, sizeof texts);
    const int16_t messageIndex = FindMessageIndex(message->plugin, code);
    const ErrorCode read = admBasicSuite->ReadListString(message->plugin, kErrorStringListId, messageIndex,
                                                         texts.messageText, kMessageCapacity);
    if (read != kNoError) return;
    texts.messageText[sizeof texts.messageText - 1] = '\0';

    if (HasNumberForm(code)) {
        NumberCodeToText(code, texts.codeText);
    } else {
        CodeToFourChars(code, reinterpret_cast<unsigned char*>(texts.codeText));
        PascalStringToC(reinterpret_cast<unsigned char*>(texts.codeText));
    }
    RunErrorBox(message, &texts);
}
