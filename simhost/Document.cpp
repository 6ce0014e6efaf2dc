#include "simhost/Document.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <unordered_map>

#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>

#include "simhost/Handles.h"
#include "simhost/HostCodes.h"

namespace simhost {

namespace {

constexpr int16_t kMaxSegments = 32000;

double Distance(Point a, Point b) { return std::hypot(static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y); }

bool SamePoint(Point a, Point b) { return a.x == b.x && a.y == b.y; }

// Nearest point to p on the straight piece a-b, with its parameter.
Point NearestOnLine(Point a, Point b, Point p, double* t) {
    const double dx = static_cast<double>(b.x) - a.x;
    const double dy = static_cast<double>(b.y) - a.y;
    const double lengthSquared = dx * dx + dy * dy;
    double u = 0.0;
    if (lengthSquared > 0.0) u = ((static_cast<double>(p.x) - a.x) * dx + (static_cast<double>(p.y) - a.y) * dy) / lengthSquared;
    u = std::clamp(u, 0.0, 1.0);
    *t = u;
    if (u == 0.0) return a;
    if (u == 1.0) return b;
    return Point{static_cast<float>(a.x + u * dx), static_cast<float>(a.y + u * dy)};
}

Point BezierAt(Point p0, Point p1, Point p2, Point p3, double t) {
    const double s = 1.0 - t;
    const double a = s * s * s, b = 3 * s * s * t, c = 3 * s * t * t, d = t * t * t;
    return Point{static_cast<float>(a * p0.x + b * p1.x + c * p2.x + d * p3.x),
                 static_cast<float>(a * p0.y + b * p1.y + c * p2.y + d * p3.y)};
}

// Nearest point on a cubic piece: a coarse scan, then a narrowing search
// around the best sample.
Point NearestOnCurve(Point p0, Point p1, Point p2, Point p3, Point p, double* t) {
    constexpr int kSamples = 64;
    double bestT = 0.0;
    double bestDistance = Distance(p0, p);
    for (int i = 1; i <= kSamples; ++i) {
        const double u = static_cast<double>(i) / kSamples;
        const double d = Distance(BezierAt(p0, p1, p2, p3, u), p);
        if (d < bestDistance) {
            bestDistance = d;
            bestT = u;
        }
    }
    double low = std::max(0.0, bestT - 1.0 / kSamples);
    double high = std::min(1.0, bestT + 1.0 / kSamples);
    for (int i = 0; i < 40; ++i) {
        const double m1 = low + (high - low) / 3.0;
        const double m2 = high - (high - low) / 3.0;
        if (Distance(BezierAt(p0, p1, p2, p3, m1), p) < Distance(BezierAt(p0, p1, p2, p3, m2), p)) {
            high = m2;
        } else {
            low = m1;
        }
    }
    *t = (low + high) / 2.0;
    if (*t <= 0.0) return p0;
    if (*t >= 1.0) return p3;
    return BezierAt(p0, p1, p2, p3, *t);
}

struct Candidate {
    bool found = false;
    int16_t type = 0;
    int16_t segment = 0;
    Point point{};
    double distance = 0.0;
    double parameter = 0.0;

    void Offer(int16_t candidateType, int16_t index, Point at, double d, double t) {
        if (found && d >= distance) return;
        *this = Candidate{true, candidateType, index, at, d, t};
    }
};

// Anchors take precedence over handles, and handles over the pieces between anchors.
Candidate HitPath(const Art& art, Point p, double tolerance) {
    Candidate anchors, handles, pieces;
    const auto& segments = art.segments;
    const size_t n = segments.size();
    for (size_t i = 0; i < n; ++i) {
        const PathSegment& s = segments[i];
        const auto index = static_cast<int16_t>(i);
        const double d = Distance(s.point, p);
        if (d <= tolerance) anchors.Offer(kHitAnchor, index, s.point, d, 0.0);
        if (!SamePoint(s.inHandle, s.point)) {
            const double dIn = Distance(s.inHandle, p);
            if (dIn <= tolerance) handles.Offer(kHitInHandle, index, s.inHandle, dIn, 0.0);
        }
        if (!SamePoint(s.outHandle, s.point)) {
            const double dOut = Distance(s.outHandle, p);
            if (dOut <= tolerance) handles.Offer(kHitOutHandle, index, s.outHandle, dOut, 0.0);
        }
    }
    if (anchors.found) return anchors;
    if (handles.found) return handles;
    const size_t pieceCount = n < 2 ? 0 : (art.closed ? n : n - 1);
    for (size_t i = 0; i < pieceCount; ++i) {
        const PathSegment& a = segments[i];
        const PathSegment& b = segments[(i + 1) % n];
        double t = 0.0;
        const bool straight = SamePoint(a.outHandle, a.point) && SamePoint(b.inHandle, b.point);
        const Point q = straight ? NearestOnLine(a.point, b.point, p, &t)
                                 : NearestOnCurve(a.point, a.outHandle, b.inHandle, b.point, p, &t);
        const double d = Distance(q, p);
        if (d <= tolerance) pieces.Offer(kHitSegment, static_cast<int16_t>(i), q, d, t);
    }
    return pieces;
}

// Text is hit anywhere in its box; the hit lies on its origin.
Candidate HitText(const Art& art, Point p, double tolerance) {
    const TextArt& text = art.text;
    const double width = 0.6 * text.size * static_cast<double>(text.text.size());
    const double left = text.origin.x - tolerance, right = text.origin.x + width + tolerance;
    const double bottom = text.origin.y - 0.25 * text.size - tolerance;
    const double top = text.origin.y + 0.8 * text.size + tolerance;
    Candidate c;
    if (p.x >= left && p.x <= right && p.y >= bottom && p.y <= top) c.Offer(kHitAnchor, 0, text.origin, Distance(text.origin, p), 0.0);
    return c;
}

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;
using IndexPoint = bg::model::point<double, 2, bg::cs::cartesian>;
using IndexBox = bg::model::box<IndexPoint>;
using IndexEntry = std::pair<IndexBox, int32_t>;

enum class Extent { kNothing, kBox, kUnbounded };

// The box that holds everything the hit test can find on `art`: anchors,
// handles and the curves between them (a curve stays inside its control
// points). Widened by a few float steps, for points rounded on the way.
Extent ExtentOf(const Art& art, IndexBox* box) {
    double lowX = HUGE_VAL, lowY = HUGE_VAL, highX = -HUGE_VAL, highY = -HUGE_VAL;
    bool finite = true;
    auto take = [&](double x, double y) {
        finite = finite && std::isfinite(x) && std::isfinite(y);
        lowX = std::min(lowX, x), lowY = std::min(lowY, y);
        highX = std::max(highX, x), highY = std::max(highY, y);
    };
    if (art.type == kArtTypePath) {
        if (art.segments.empty()) return Extent::kNothing;
        for (const PathSegment& s : art.segments) {
            take(s.point.x, s.point.y);
            take(s.inHandle.x, s.inHandle.y);
            take(s.outHandle.x, s.outHandle.y);
        }
    } else {
        const TextArt& text = art.text;
        const double width = 0.6 * text.size * static_cast<double>(text.text.size());
        take(text.origin.x, text.origin.y - 0.25 * text.size);
        take(text.origin.x + width, text.origin.y + 0.8 * text.size);
    }
    // Art with a coordinate that is no finite number cannot be filed by place.
    if (!finite) return Extent::kUnbounded;
    const double slack = 1e-6 * std::max({std::fabs(lowX), std::fabs(lowY), std::fabs(highX), std::fabs(highY)}) + 1e-6;
    *box = IndexBox(IndexPoint(lowX - slack, lowY - slack), IndexPoint(highX + slack, highY + slack));
    return Extent::kBox;
}

// Where an art stands in the paint order: its layer, and a key that grows
// from the bottom of the layer to its top.
struct Place {
    int layer = 0;
    double key = 0.0;
};

}  // namespace

struct Document::ArtIndex {
    bgi::rtree<IndexEntry, bgi::quadratic<16>> tree;  // the R* split trips gcc 12's bounds warnings on MinGW
    std::unordered_map<int32_t, IndexBox> filed;  // the box under which each art in `tree` is filed
    std::set<int32_t> unbounded;                  // art without a finite box: a candidate at every point
    std::set<int32_t> stale;                      // art that may have changed since it was filed
    std::unordered_map<int32_t, Place> places;

    void Unfile(int32_t id) {
        const auto it = filed.find(id);
        if (it != filed.end()) {
            tree.remove(IndexEntry{it->second, id});
            filed.erase(it);
        }
        unbounded.erase(id);
    }

    void File(int32_t id, const Art& art) {
        IndexBox box;
        switch (ExtentOf(art, &box)) {
            case Extent::kNothing: break;
            case Extent::kBox:
                tree.insert(IndexEntry{box, id});
                filed.emplace(id, box);
                break;
            case Extent::kUnbounded: unbounded.insert(id); break;
        }
    }

    double Key(int32_t id) const { return places.at(id).key; }
};

PathStyle DefaultPathStyle() {
    PathStyle style{};
    style.fillPaint = 0;
    style.strokePaint = 1;
    style.fillColor = RgbColor{1.0f, 1.0f, 1.0f};
    style.strokeColor = RgbColor{0.0f, 0.0f, 0.0f};
    style.strokeWidth = 1.0f;
    style.miterLimit = 4.0f;
    style.lineCap = 1;   // round
    style.lineJoin = 1;  // round
    return style;
}

Document::Document() : currentStyle(DefaultPathStyle()), index_(std::make_unique<ArtIndex>()) {}
Document::~Document() = default;
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;

void Document::Placed(int32_t id, int layer, size_t position) {
    const auto& arts = layers_[static_cast<size_t>(layer)].arts;
    auto& places = index_->places;
    const bool hasBelow = position > 0;
    const bool hasAbove = position + 1 < arts.size();
    double key = 0.0;
    if (hasBelow && hasAbove) {
        const double below = index_->Key(arts[position - 1]);
        const double above = index_->Key(arts[position + 1]);
        key = below + (above - below) / 2.0;
        if (!(below < key && key < above)) {
            // No room left between the two: number the whole layer afresh.
            for (size_t i = 0; i < arts.size(); ++i) places[arts[i]] = Place{layer, static_cast<double>(i)};
            key = static_cast<double>(position);
        }
    } else if (hasBelow) {
        key = index_->Key(arts[position - 1]) + 1.0;
    } else if (hasAbove) {
        key = index_->Key(arts[position + 1]) - 1.0;
    }
    places[id] = Place{layer, key};
    index_->stale.insert(id);
}

void Document::Removed(int32_t id) {
    index_->Unfile(id);
    index_->stale.erase(id);
    index_->places.erase(id);
}

size_t Document::PositionInLayer(int32_t id) const {
    const auto place = index_->places.find(id);
    if (place == index_->places.end()) return SIZE_MAX;
    const auto& arts = layers_[static_cast<size_t>(place->second.layer)].arts;
    const double key = place->second.key;
    const auto at = std::lower_bound(arts.begin(), arts.end(), key,
                                     [this](int32_t other, double k) { return index_->Key(other) < k; });
    return at != arts.end() && *at == id ? static_cast<size_t>(at - arts.begin()) : SIZE_MAX;
}

int Document::AddLayer(const std::string& name, bool visible, bool editable) {
    layers_.push_back(Layer{name, visible, editable, {}});
    currentLayer_ = static_cast<int>(layers_.size()) - 1;
    return currentLayer_;
}

int Document::FindLayer(const std::string& name) const {
    for (size_t i = 0; i < layers_.size(); ++i) {
        if (layers_[i].name == name) return static_cast<int>(i);
    }
    return -1;
}

int32_t Document::AddPath(std::vector<PathSegment> segments, bool closed, const PathStyle& style, int32_t attributes) {
    if (layers_.empty()) AddLayer("Layer 1");
    Art art;
    art.id = nextId_++;
    art.type = kArtTypePath;
    art.attributes = attributes;
    art.segments = std::move(segments);
    art.closed = closed;
    art.style = style;
    auto& arts = layers_[static_cast<size_t>(currentLayer_)].arts;
    arts.push_back(art.id);
    arts_[art.id] = art;
    Placed(art.id, currentLayer_, arts.size() - 1);
    return art.id;
}

int32_t Document::AddText(const TextArt& text, const PathStyle& style, int32_t attributes) {
    if (layers_.empty()) AddLayer("Layer 1");
    Art art;
    art.id = nextId_++;
    art.type = kArtTypeText;
    art.attributes = attributes;
    art.style = style;
    art.text = text;
    auto& arts = layers_[static_cast<size_t>(currentLayer_)].arts;
    arts.push_back(art.id);
    arts_[art.id] = art;
    Placed(art.id, currentLayer_, arts.size() - 1);
    return art.id;
}

const Art* Document::FindArt(int32_t id) const {
    const auto it = arts_.find(id);
    return it == arts_.end() ? nullptr : &it->second;
}

Art* Document::FindArt(int32_t id) {
    const auto it = arts_.find(id);
    if (it == arts_.end()) return nullptr;
    // The caller may change its outline: file it again before the next hit test.
    index_->stale.insert(id);
    return &it->second;
}

int Document::LayerOf(int32_t id) const {
    const auto place = index_->places.find(id);
    return place == index_->places.end() ? -1 : place->second.layer;
}

std::vector<std::pair<int, const Art*>> Document::ArtsInPaintOrder() const {
    std::vector<std::pair<int, const Art*>> result;
    for (size_t i = 0; i < layers_.size(); ++i) {
        for (int32_t id : layers_[i].arts) result.emplace_back(static_cast<int>(i), FindArt(id));
    }
    return result;
}

ErrorCode Document::CreateArt(int16_t type, int16_t paintOrder, int32_t reference, int32_t* created) {
    if (created == nullptr || type != kArtTypePath) return kErrorBadParameter;
    if (paintOrder < kPlaceAboveAll || paintOrder > kPlaceBelow) return kErrorBadParameter;
    if (layers_.empty()) return kErrorNoDocument;
    int layerIndex = currentLayer_;
    if (reference != 0) {
        layerIndex = LayerOf(reference);
        if (layerIndex < 0) return kErrorBadParameter;
    }
    if (layerIndex < 0 || static_cast<size_t>(layerIndex) >= layers_.size()) return kErrorBadParameter;
    Layer& layer = layers_[static_cast<size_t>(layerIndex)];
    if (!layer.visible || !layer.editable) return kErrorLocked;

    auto position = layer.arts.end();
    const auto at = layer.arts.begin() + static_cast<std::ptrdiff_t>(
                                              reference == 0 ? layer.arts.size() : PositionInLayer(reference));
    switch (paintOrder) {
        case kPlaceAboveAll: position = layer.arts.end(); break;
        case kPlaceBelowAll: position = layer.arts.begin(); break;
        case kPlaceAbove: position = reference == 0 ? layer.arts.end() : at + 1; break;
        case kPlaceBelow: position = reference == 0 ? layer.arts.begin() : at; break;
        default: break;
    }
    Art art;
    art.id = nextId_++;
    art.type = kArtTypePath;
    art.style = currentStyle;
    art.madeByPlugin = true;
    const auto placed = layer.arts.insert(position, art.id);
    arts_[art.id] = art;
    Placed(art.id, layerIndex, static_cast<size_t>(placed - layer.arts.begin()));
    if (transactionOpen_) open_.push_back(ArtChange{art.id, std::nullopt});
    *created = art.id;
    return kNoError;
}

ErrorCode Document::FirstArtOfLayer(int layer, int32_t* first) const {
    if (first == nullptr) return kErrorBadParameter;
    if (layer < 0) layer = currentLayer_;
    if (layers_.empty()) {
        *first = 0;
        return kNoError;
    }
    if (static_cast<size_t>(layer) >= layers_.size()) return kErrorBadParameter;
    const auto& arts = layers_[static_cast<size_t>(layer)].arts;
    *first = arts.empty() ? 0 : arts.back();
    return kNoError;
}

ErrorCode Document::EditablePath(int32_t id, Art** art) {
    Art* found = FindArt(id);
    if (found == nullptr) return kErrorBadParameter;
    if (found->type != kArtTypePath) return kErrorWrongArtType;
    const int layer = LayerOf(id);
    if ((found->attributes & kAttributeLocked) != 0 || layer < 0 || !layers_[static_cast<size_t>(layer)].editable)
        return kErrorLocked;
    *art = found;
    return kNoError;
}

ErrorCode Document::SetSegmentCount(int32_t path, int16_t count) {
    if (count < 0 || count > kMaxSegments) return kErrorBadParameter;
    Art* art = nullptr;
    const ErrorCode result = EditablePath(path, &art);
    if (result != kNoError) return result;
    Touch(path);
    PathSegment blank{};
    blank.corner = 1;
    art->segments.resize(static_cast<size_t>(count), blank);
    return kNoError;
}

ErrorCode Document::StoreSegments(int32_t path, int16_t first, int16_t count, const PathSegment* segments) {
    Art* art = nullptr;
    const ErrorCode result = EditablePath(path, &art);
    if (result != kNoError) return result;
    if (first < 0 || count < 0 || (count > 0 && segments == nullptr)) return kErrorBadParameter;
    if (static_cast<size_t>(first) + static_cast<size_t>(count) > art->segments.size()) return kErrorBadParameter;
    Touch(path);
    std::copy(segments, segments + count, art->segments.begin() + first);
    return kNoError;
}

ErrorCode Document::SetClosed(int32_t path, bool closed) {
    Art* art = nullptr;
    const ErrorCode result = EditablePath(path, &art);
    if (result != kNoError) return result;
    Touch(path);
    art->closed = closed;
    return kNoError;
}

ErrorCode Document::ApplyStyle(int32_t id, const PathStyle& style) {
    Art* art = FindArt(id);
    if (art == nullptr) return kErrorBadParameter;
    Touch(id);
    art->style = style;
    return kNoError;
}

void Document::HitTest(Point point, int32_t onlyArt, HitRecord* record) const {
    *record = HitRecord{};
    record->segmentIndex = -1;
    record->hitPoint = point;
    const double tolerance = std::max(0.0f, this->tolerance);

    // The index is a cache of the art's outlines: bring changed art up to date.
    ArtIndex& index = *index_;
    for (int32_t id : index.stale) {
        index.Unfile(id);
        const Art* art = FindArt(id);
        if (art != nullptr && index.places.count(id) != 0) index.File(id, *art);
    }
    index.stale.clear();

    // The art whose box comes within the tolerance of the point, topmost first:
    // layers from the top, art from the top of each layer. One art asked for
    // by name is tested directly.
    std::vector<std::pair<Place, int32_t>> candidates;
    if (onlyArt != 0) {
        const auto place = index.places.find(onlyArt);
        if (place != index.places.end()) candidates.emplace_back(place->second, onlyArt);
    } else {
        const IndexBox near(IndexPoint(point.x - tolerance, point.y - tolerance),
                            IndexPoint(point.x + tolerance, point.y + tolerance));
        for (auto it = index.tree.qbegin(bgi::intersects(near)); it != index.tree.qend(); ++it) {
            candidates.emplace_back(index.places.at(it->second), it->second);
        }
        for (int32_t id : index.unbounded) candidates.emplace_back(index.places.at(id), id);
    }
    std::sort(candidates.begin(), candidates.end(), [](const auto& a, const auto& b) {
        if (a.first.layer != b.first.layer) return a.first.layer > b.first.layer;
        return a.first.key > b.first.key;
    });

    for (const auto& [place, id] : candidates) {
        const Art& art = *FindArt(id);
        const Candidate c = art.type == kArtTypePath ? HitPath(art, point, tolerance) : HitText(art, point, tolerance);
        if (!c.found) continue;
        record->hitFlag = 1;
        record->hitType = c.type;
        record->segmentIndex = c.segment;
        record->art = HandleOf<ArtHandle>(art.id);
        record->auxValue = place.layer + 1;  // the layer, counted from 1
        record->hitPoint = c.point;
        record->segmentParameter = static_cast<float>(c.parameter);
        return;
    }
}

void Document::Touch(int32_t id) {
    if (!transactionOpen_) return;
    for (const ArtChange& change : open_) {
        if (change.artId == id) return;
    }
    open_.push_back(ArtChange{id, *FindArt(id)});
}

void Document::Revert(Transaction& transaction) {
    for (auto it = transaction.rbegin(); it != transaction.rend(); ++it) {
        if (it->before) {
            arts_[it->artId] = *it->before;
            index_->stale.insert(it->artId);
            continue;
        }
        const int layer = LayerOf(it->artId);
        if (layer >= 0) {
            auto& arts = layers_[static_cast<size_t>(layer)].arts;
            const size_t position = PositionInLayer(it->artId);
            Removed(it->artId);
            if (position < arts.size()) arts.erase(arts.begin() + static_cast<std::ptrdiff_t>(position));
        }
        arts_.erase(it->artId);
    }
    transaction.clear();
}

void Document::OpenTransaction() {
    if (transactionOpen_) CommitTransaction();
    transactionOpen_ = true;
}

void Document::CommitTransaction() {
    if (!open_.empty()) undoStack_.push_back(std::move(open_));
    open_.clear();
    transactionOpen_ = false;
}

void Document::RevertTransaction() { Revert(open_); }

bool Document::UndoStep() {
    if (transactionOpen_) CommitTransaction();
    if (undoStack_.empty()) return false;
    Revert(undoStack_.back());
    undoStack_.pop_back();
    return true;
}

}  // namespace simhost
