// The host's in-memory document: layers, art, the current path style, the hit
// test and undo. Handles given to the plug-in are ids, so a stale handle is
// detected rather than followed.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/Records.h"

namespace simhost {

// Art types as "AI Art Suite" entry 6 reports them.
constexpr int16_t kArtTypeGroup = 1;
constexpr int16_t kArtTypePath = 2;
constexpr int16_t kArtTypeText = 8;

// Paint orders of "AI Art Suite" entry 0, relative to the reference art (or,
// with no reference, to the current layer).
constexpr int16_t kPlaceAboveAll = 1;   // top of the reference's layer
constexpr int16_t kPlaceBelowAll = 2;   // bottom of the reference's layer
constexpr int16_t kPlaceAbove = 3;      // directly above the reference
constexpr int16_t kPlaceBelow = 4;      // directly below the reference

// Hit types of "AI Hit Test Suite" entry 3.
constexpr int16_t kHitAnchor = 0;
constexpr int16_t kHitInHandle = 1;
constexpr int16_t kHitOutHandle = 2;
constexpr int16_t kHitSegment = 3;

constexpr int32_t kAttributeLocked = 0x2;
constexpr int32_t kAttributeHidden = 0x4;

struct TextArt {
    Point origin{};  // left end of the baseline
    float size = 12.0f;
    std::string text;
};

struct Art {
    int32_t id = 0;
    int16_t type = kArtTypePath;
    int32_t attributes = 0;
    std::vector<PathSegment> segments;  // paths only
    bool closed = false;
    PathStyle style{};
    TextArt text;                       // text only
    bool madeByPlugin = false;          // created through "AI Art Suite" entry 0
};

struct Layer {
    std::string name;
    bool visible = true;
    bool editable = true;
    std::vector<int32_t> arts;  // paint order, bottom first
};

// One recorded change: the art's state before it (none: the change created it).
struct ArtChange {
    int32_t artId = 0;
    std::optional<Art> before;
};
using Transaction = std::vector<ArtChange>;

class Document {
public:
    Document();
    ~Document();
    Document(Document&&) noexcept;
    Document& operator=(Document&&) noexcept;

    // --- Set-up (not undoable) ---
    // Adds a layer on top and makes it current. Returns its index.
    int AddLayer(const std::string& name, bool visible = true, bool editable = true);
    // The layer called `name`, or -1.
    int FindLayer(const std::string& name) const;
    void SetCurrentLayer(int index) { currentLayer_ = index; }
    int CurrentLayer() const { return currentLayer_; }
    // Places art on top of the current layer. Returns its id.
    int32_t AddPath(std::vector<PathSegment> segments, bool closed, const PathStyle& style, int32_t attributes);
    int32_t AddText(const TextArt& text, const PathStyle& style, int32_t attributes);

    // --- Reading ---
    const std::vector<Layer>& Layers() const { return layers_; }
    Layer& LayerAt(int index) { return layers_.at(static_cast<size_t>(index)); }
    const Art* FindArt(int32_t id) const;
    // For changing art: its outline is filed again in the hit test's index
    // before the next hit test, so change it before then.
    Art* FindArt(int32_t id);
    // The layer that holds art `id`, or -1.
    int LayerOf(int32_t id) const;
    // Every art in paint order (bottom layer first), with its layer.
    std::vector<std::pair<int, const Art*>> ArtsInPaintOrder() const;

    PathStyle currentStyle{};
    float tolerance = 3.0f;

    // --- Suite operations (undoable, recorded in the open transaction) ---
    // Creates empty art of `type` placed by `paintOrder` relative to `reference`
    // (0: none). Only paths can be created.
    ErrorCode CreateArt(int16_t type, int16_t paintOrder, int32_t reference, int32_t* created);
    // The topmost art of layer `layer` (-1: the current layer); 0 when it is empty.
    ErrorCode FirstArtOfLayer(int layer, int32_t* first) const;
    ErrorCode SetSegmentCount(int32_t path, int16_t count);
    ErrorCode StoreSegments(int32_t path, int16_t first, int16_t count, const PathSegment* segments);
    ErrorCode SetClosed(int32_t path, bool closed);
    ErrorCode ApplyStyle(int32_t art, const PathStyle& style);

    // Fills `record` with what lies under `point`: the topmost art within the
    // tolerance, whatever its attributes or layer (eligibility is the tool's
    // business). `onlyArt` 0 tests every art. A spatial index of the art's
    // outlines finds the few art near the point, so the cost does not grow
    // with the size of the document.
    void HitTest(Point point, int32_t onlyArt, HitRecord* record) const;

    // --- Undo ---
    // Changes are recorded into the open transaction; Commit makes it one
    // user-level step (when it changed anything).
    void OpenTransaction();
    void CommitTransaction();
    bool TransactionOpen() const { return transactionOpen_; }
    // "AI Undo Suite" entry 1: takes back what the open transaction changed so far.
    void RevertTransaction();
    // The user's undo: takes back the last committed step. False when there is none.
    bool UndoStep();
    size_t UndoSteps() const { return undoStack_.size(); }

private:
    struct ArtIndex;  // the hit test's spatial index and the paint order (Document.cpp)

    // Files art `id`, just placed at `position` of layer `layer`, in the index.
    void Placed(int32_t id, int layer, size_t position);
    // Takes art `id` out of the index (before it leaves its layer).
    void Removed(int32_t id);
    // Where art `id` lies in its layer's paint order; SIZE_MAX when it lies in no layer.
    size_t PositionInLayer(int32_t id) const;
    // Records art `id`'s state before its first change in the open transaction.
    void Touch(int32_t id);
    void Revert(Transaction& transaction);
    ErrorCode EditablePath(int32_t id, Art** art);

    std::vector<Layer> layers_;
    std::map<int32_t, Art> arts_;
    int currentLayer_ = 0;
    int32_t nextId_ = 1;
    bool transactionOpen_ = false;
    Transaction open_;
    std::vector<Transaction> undoStack_;
    std::unique_ptr<ArtIndex> index_;
};

// The default style of a new document: stroked black, 1 unit wide, not filled.
PathStyle DefaultPathStyle();

}  // namespace simhost
