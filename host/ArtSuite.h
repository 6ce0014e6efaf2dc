// "AI Art Suite" version 9: Art objects of the document.
#pragma once

#include "HostTypes.h"

constexpr const char* kArtSuiteName = "AI Art Suite";
constexpr int32_t kArtSuiteVersion = 9;
constexpr int16_t kArtTypePath = 2;
constexpr int16_t kPaintOrderAboveReference = 3;  // paint order the tool places new paths with
constexpr int32_t kArtAttributeLocked = 0x2;
constexpr int32_t kArtAttributeHidden = 0x4;

extern "C" {

typedef struct ArtSuite {
    // 0: Creates art of `type` placed by `paintOrder` relative to `reference`; *created belongs to the document.
    ErrorCode (*CreateArt)(int16_t type, int16_t paintOrder, ArtHandle reference, ArtHandle* created);
    HostProc unused1[3];  // entries 1 to 3
    // 4: The first art of `layer` (null: the current layer).
    ErrorCode (*FirstArtOfLayer)(LayerHandle layer, ArtHandle* first);
    // 5: The layer that holds `art`.
    ErrorCode (*LayerOfArt)(ArtHandle art, LayerHandle* layer);
    // 6: The type of `art`; kArtTypePath for a path.
    ErrorCode (*TypeOfArt)(ArtHandle art, int16_t* type);
    // 7: The attribute bits of `art` selected by `mask`.
    ErrorCode (*ReadAttributes)(ArtHandle art, int32_t mask, int32_t* attributes);
} ArtSuite;

}  // extern "C"
