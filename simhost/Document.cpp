#include "simhost/Document.h"

#include <algorithm>
#include <cmath>

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

}  // namespace

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

Document::Document() : currentStyle(DefaultPathStyle()) {}

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
    layers_[static_cast<size_t>(currentLayer_)].arts.push_back(art.id);
    arts_[art.id] = art;
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
    layers_[static_cast<size_t>(currentLayer_)].arts.push_back(art.id);
    arts_[art.id] = art;
    return art.id;
}

const Art* Document::FindArt(int32_t id) const {
    const auto it = arts_.find(id);
    return it == arts_.end() ? nullptr : &it->second;
}

Art* Document::FindArt(int32_t id) {
    const auto it = arts_.find(id);
    return it == arts_.end() ? nullptr : &it->second;
}

int Document::LayerOf(int32_t id) const {
    for (size_t i = 0; i < layers_.size(); ++i) {
        const auto& arts = layers_[i].arts;
        if (std::find(arts.begin(), arts.end(), id) != arts.end()) return static_cast<int>(i);
    }
    return -1;
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
    const auto at = std::find(layer.arts.begin(), layer.arts.end(), reference);
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
    layer.arts.insert(position, art.id);
    arts_[art.id] = art;
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
    // Topmost first: layers from the top, art from the top of each layer.
    for (size_t l = layers_.size(); l-- > 0;) {
        const auto& arts = layers_[l].arts;
        for (size_t a = arts.size(); a-- > 0;) {
            if (onlyArt != 0 && arts[a] != onlyArt) continue;
            const Art& art = *FindArt(arts[a]);
            const Candidate c = art.type == kArtTypePath ? HitPath(art, point, tolerance) : HitText(art, point, tolerance);
            if (!c.found) continue;
            record->hitFlag = 1;
            record->hitType = c.type;
            record->segmentIndex = c.segment;
            record->art = HandleOf<ArtHandle>(art.id);
            record->auxValue = static_cast<int32_t>(l) + 1;  // the layer, counted from 1
            record->hitPoint = c.point;
            record->segmentParameter = static_cast<float>(c.parameter);
            return;
        }
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
            continue;
        }
        const int layer = LayerOf(it->artId);
        if (layer >= 0) std::erase(layers_[static_cast<size_t>(layer)].arts, it->artId);
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
