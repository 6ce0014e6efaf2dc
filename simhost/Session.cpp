#include "simhost/Session.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "simhost/HostCodes.h"

namespace simhost {

namespace {

std::string Exact(float value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
    return buffer;
}

// Splits a line into words; "double quotes" keep spaces. A '#' that stands as
// a word of its own (or begins the line) starts a comment; "#1d3557" is a colour.
bool Tokenize(std::string_view line, std::vector<std::string>* words, std::string* error) {
    size_t at = 0;
    while (at < line.size()) {
        const char c = line[at];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++at;
            continue;
        }
        const bool wordEnds = at + 1 == line.size() || line[at + 1] == ' ' || line[at + 1] == '\t' || line[at + 1] == '\r';
        if (c == '#' && (words->empty() || wordEnds)) break;
        if (c == '"') {
            const size_t end = line.find('"', at + 1);
            if (end == std::string_view::npos) {
                *error = "unterminated quoted text";
                return false;
            }
            words->emplace_back(line.substr(at + 1, end - at - 1));
            at = end + 1;
            continue;
        }
        size_t end = at;
        while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r') ++end;
        words->emplace_back(line.substr(at, end - at));
        at = end;
    }
    return true;
}

bool ParseFloat(const std::string& word, float* value) {
    if (word.empty()) return false;
    const char* begin = word.data();
    if (*begin == '+') ++begin;
    const char* end = word.data() + word.size();
    float parsed = 0.0f;
    const auto [rest, failure] = std::from_chars(begin, end, parsed);
    if (failure != std::errc() || rest != end || !std::isfinite(parsed)) return false;
    *value = parsed;
    return true;
}

bool ParseInteger(const std::string& word, int64_t* value) {
    if (word.empty()) return false;
    const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    const char* begin = word.data() + (hex ? 2 : 0);
    const char* end = word.data() + word.size();
    int64_t parsed = 0;
    const auto [rest, failure] = std::from_chars(begin, end, parsed, hex ? 16 : 10);
    if (failure != std::errc() || rest != end) return false;
    *value = parsed;
    return true;
}

// A code: a decimal (or 0x) number, or four characters in single quotes: 'parm'.
bool ParseCode(const std::string& word, ErrorCode* code) {
    if (word.size() == 6 && word.front() == '\'' && word.back() == '\'') {
        uint32_t bits = 0;
        for (size_t i = 1; i < 5; ++i) bits = bits << 8 | static_cast<uint8_t>(word[i]);
        *code = static_cast<ErrorCode>(bits);
        return true;
    }
    int64_t value = 0;
    if (!ParseInteger(word, &value) || value < INT32_MIN || value > UINT32_MAX) return false;
    *code = static_cast<ErrorCode>(static_cast<uint32_t>(value));
    return true;
}

bool ParseColor(const std::string& word, RgbColor* color) {
    if (word.size() != 7 || word[0] != '#') return false;
    unsigned value = 0;
    const auto [rest, failure] = std::from_chars(word.data() + 1, word.data() + 7, value, 16);
    if (failure != std::errc() || rest != word.data() + 7) return false;
    *color = RgbColor{static_cast<float>(value >> 16 & 0xFF) / 255.0f, static_cast<float>(value >> 8 & 0xFF) / 255.0f,
                      static_cast<float>(value & 0xFF) / 255.0f};
    return true;
}

bool ParsePair(const std::string& word, Point* point) {
    const size_t comma = word.find(',');
    if (comma == std::string::npos) return false;
    return ParseFloat(word.substr(0, comma), &point->x) && ParseFloat(word.substr(comma + 1), &point->y);
}

// "x,y" (a corner) or "x,y:inx,iny:outx,outy" (a point with its two handles).
bool ParseSegment(const std::string& word, PathSegment* segment) {
    *segment = PathSegment{};
    const size_t first = word.find(':');
    if (first == std::string::npos) {
        if (!ParsePair(word, &segment->point)) return false;
        segment->inHandle = segment->outHandle = segment->point;
        segment->corner = 1;
        return true;
    }
    const size_t second = word.find(':', first + 1);
    if (second == std::string::npos) return false;
    segment->corner = 0;
    return ParsePair(word.substr(0, first), &segment->point) &&
           ParsePair(word.substr(first + 1, second - first - 1), &segment->inHandle) &&
           ParsePair(word.substr(second + 1), &segment->outHandle);
}

}  // namespace

// The state of one playing of a session.
class Player {
public:
    Player(Host& host, Picture* picture, std::ostream& out, const PlayOptions& options)
        : host(host), picture(picture), out(out), options(options) {}

    Host& host;
    Picture* picture;
    std::ostream& out;
    const PlayOptions& options;
    std::string where;
    bool started = false;
    bool heldShift = false;
    bool heldAlt = false;
    bool targetSet = false;  // "tool NAME" chose a tool of the host's
    Point pointer{};
    size_t tracePrinted = 0;
    size_t alertsPrinted = 0;
    size_t boxesPrinted = 0;

    void Report(const char* what, ErrorCode result) {
        if (result == kNoError) return;
        if (options.machine) {
            out << "result " << where << " " << what << " " << CodeText(result) << "\n";
        } else {
            out << where << ": \"" << what << "\" returned " << CodeText(result) << "\n";
        }
    }

    // Prints what the host saw since the last step: calls, alerts, boxes.
    void Flush() {
        const auto& trace = host.Trace();
        if (options.trace) {
            for (; tracePrinted < trace.size(); ++tracePrinted) out << "trace " << FormatTrace(trace[tracePrinted]) << "\n";
        }
        host.ClearTrace();
        tracePrinted = 0;
        const auto& alerts = host.Alerts();
        for (; alertsPrinted < alerts.size(); ++alertsPrinted) {
            out << (options.machine ? "alert " : "  alert: ") << "\"" << alerts[alertsPrinted] << "\"\n";
        }
        const auto& boxes = host.dialogs().Boxes();
        for (; boxesPrinted < boxes.size(); ++boxesPrinted) {
            const ClosedBox& box = boxes[boxesPrinted];
            out << (options.machine ? "box " : "  box ") << BoxHeaderLine(box) << "\n";
            for (const BoxItem& item : box.items) out << (options.machine ? "item " : "    ") << BoxItemLine(item) << "\n";
        }
    }

    ErrorCode Tool(const char* selector, Point at, bool shift, bool alt) {
        if (host.PluginTool() == nullptr && !targetSet) {
            out << where << ": \"" << selector << "\" not sent: the module added no tool\n";
            return kNoError;
        }
        host.shiftDown = heldShift || shift;
        host.altDown = heldAlt || alt;
        pointer = at;
        ErrorCode result = kNoError;
        if (selector == std::string(kSelectorTrackCursor)) {
            result = host.TrackCursor(at);
        } else if (selector == std::string(kSelectorMouseDown)) {
            result = host.MouseDown(at);
        } else if (selector == std::string(kSelectorMouseDrag)) {
            result = host.MouseDrag(at);
        } else {
            result = host.MouseUp(at);
        }
        Report(selector, result);
        return result;
    }
};

std::optional<Session> Session::Parse(std::string_view text, const std::string& fileName, std::string* error) {
    Session session;
    std::set<std::string> layers;
    int lineNumber = 0;
    size_t at = 0;
    while (at <= text.size()) {
        const size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line = text.substr(at, end - at);
        at = end + 1;
        ++lineNumber;
        const std::string where = fileName + ":" + std::to_string(lineNumber);
        auto fail = [&](const std::string& reason) {
            *error = where + ": " + reason;
            return std::nullopt;
        };
        std::vector<std::string> w;
        std::string reason;
        if (!Tokenize(line, &w, &reason)) return fail(reason);
        if (w.empty()) continue;
        const std::string verb = w[0];
        const size_t n = w.size() - 1;  // arguments
        Step step;
        step.where = where;

        // Trailing "shift"/"alt" words of a pointer event.
        auto modifiers = [&](size_t from, bool* shift, bool* alt) {
            for (size_t i = from; i < w.size(); ++i) {
                if (w[i] == "shift") {
                    *shift = true;
                } else if (w[i] == "alt") {
                    *alt = true;
                } else {
                    reason = "unknown modifier \"" + w[i] + "\" (shift or alt)";
                    return false;
                }
            }
            return true;
        };
        auto point = [&](size_t i, Point* p) {
            if (i + 1 >= w.size() || !ParseFloat(w[i], &p->x) || !ParseFloat(w[i + 1], &p->y)) {
                reason = "expected a point: x y";
                return false;
            }
            return true;
        };

        if (verb == "move" || verb == "down" || verb == "drag" || verb == "up") {
            Point p{};
            bool shift = false, alt = false;
            if (!point(1, &p) || !modifiers(3, &shift, &alt)) return fail(reason);
            const char* selector = verb == "move"   ? kSelectorTrackCursor
                                   : verb == "down" ? kSelectorMouseDown
                                   : verb == "drag" ? kSelectorMouseDrag
                                                    : kSelectorMouseUp;
            const bool isMove = verb == "move";
            step.message = true;
            step.run = [selector, p, shift, alt, isMove](Player& player, std::string*) {
                player.Tool(selector, p, shift, alt);
                if (isMove && (player.options.cursors || player.options.machine)) {
                    const auto cursor = player.host.CurrentCursorId();
                    player.out << "cursor " << player.where << " " << (cursor ? std::to_string(*cursor) : "none") << "\n";
                }
                return true;
            };
        } else if (verb == "drag-to") {
            // Several drag messages on the straight way from the last pointer position.
            Point p{};
            float steps = 0;
            bool shift = false, alt = false;
            if (!point(1, &p) || n < 3 || !ParseFloat(w[3], &steps) || steps < 1 || steps > 1000 ||
                steps != std::floor(steps) || !modifiers(4, &shift, &alt))
                return fail(reason.empty() ? "expected: drag-to x y steps [shift] [alt]" : reason);
            step.message = true;
            step.run = [p, steps, shift, alt](Player& player, std::string*) {
                const Point from = player.pointer;
                const int count = static_cast<int>(steps);
                for (int i = 1; i <= count; ++i) {
                    const float t = static_cast<float>(i) / static_cast<float>(count);
                    const Point at = i == count ? p : Point{from.x + (p.x - from.x) * t, from.y + (p.y - from.y) * t};
                    player.Tool(kSelectorMouseDrag, at, shift, alt);
                }
                return true;
            };
        } else if (verb == "undo" || verb == "about" || verb == "unload" || verb == "reload") {
            if (n != 0) return fail("\"" + verb + "\" takes no arguments");
            step.message = verb != "undo";
            step.run = [verb](Player& player, std::string* error) {
                Host& host = player.host;
                if (verb == "undo") {
                    if (!host.document().UndoStep()) player.out << player.where << ": nothing to undo\n";
                } else if (verb == "about") {
                    player.Report(kSelectorAbout, host.About());
                } else if (verb == "unload") {
                    player.Report(kSelectorUnload, host.Unload());
                } else if (!host.Reload(error)) {
                    return false;
                }
                return true;
            };
        } else if (verb == "keys") {
            bool shift = false, alt = false;
            const bool none = n == 1 && w[1] == "none";
            if (n == 0 || (!none && !modifiers(1, &shift, &alt))) return fail(reason.empty() ? "expected: keys none | keys [shift] [alt]" : reason);
            step.run = [shift, alt](Player& player, std::string*) {
                player.heldShift = shift;
                player.heldAlt = alt;
                return true;
            };
        } else if (verb == "tool") {
            if (n != 1) return fail("expected: tool NAME (\"default\": the module's own tool)");
            const std::string name = w[1];
            step.message = true;  // names the module's tool only after "Startup"
            step.run = [name](Player& player, std::string* error) {
                if (name == "default") {
                    player.host.SetTargetTool(nullptr);
                    player.targetSet = false;
                    return true;
                }
                ToolHandle tool = player.host.ToolNamed(name);
                if (tool == nullptr) {
                    *error = "the toolbox has no tool \"" + name + "\"";
                    return false;
                }
                player.host.SetTargetTool(tool);
                player.targetSet = true;
                return true;
            };
        } else if (verb == "document") {
            Point size{};
            if (n != 2 || !point(1, &size) || size.x <= 0 || size.y <= 0) return fail("expected: document WIDTH HEIGHT (positive)");
            step.run = [size](Player& player, std::string*) {
                player.picture->width = size.x;
                player.picture->height = size.y;
                return true;
            };
        } else if (verb == "background") {
            RgbColor color{};
            if (n != 1 || !ParseColor(w[1], &color)) return fail("expected: background #rrggbb");
            const std::string value = w[1];
            step.run = [value](Player& player, std::string*) {
                player.picture->background = value;
                return true;
            };
        } else if (verb == "title") {
            if (n != 1) return fail("expected: title \"TEXT\"");
            const std::string value = w[1];
            step.run = [value](Player& player, std::string*) {
                player.picture->title = value;
                return true;
            };
        } else if (verb == "grid") {
            float spacing = 0;
            Point origin{};
            const bool none = n == 1 && w[1] == "none";
            if (!none && !(w.size() >= 3 && w[1] == "isometric" && ParseFloat(w[2], &spacing) && spacing > 0 &&
                           (n == 2 || (n == 4 && point(3, &origin)))))
                return fail("expected: grid isometric SPACING [X Y] | grid none");
            step.run = [spacing, origin](Player& player, std::string*) {
                player.picture->gridSpacing = spacing;
                player.picture->gridOrigin = origin;
                return true;
            };
        } else if (verb == "layer") {
            if (n < 1) return fail("expected: layer NAME [hidden] [locked]");
            bool visible = true, editable = true;
            for (size_t i = 2; i < w.size(); ++i) {
                if (w[i] == "hidden") {
                    visible = false;
                } else if (w[i] == "locked") {
                    editable = false;
                } else {
                    return fail("unknown layer flag \"" + w[i] + "\" (hidden or locked)");
                }
            }
            const std::string name = w[1];
            if (!layers.insert(name).second) return fail("layer \"" + name + "\" is already defined");
            step.run = [name, visible, editable](Player& player, std::string*) {
                player.host.document().AddLayer(name, visible, editable);
                return true;
            };
        } else if (verb == "current-layer") {
            if (n != 1) return fail("expected: current-layer NAME");
            const std::string name = w[1];
            if (layers.count(name) == 0) return fail("no layer \"" + name + "\" is defined above this line");
            step.run = [name](Player& player, std::string*) {
                Document& document = player.host.document();
                document.SetCurrentLayer(document.FindLayer(name));
                return true;
            };
        } else if (verb == "style") {
            // Changes the fields named; the others keep their values.
            struct Change {
                int field;  // 0 fill, 1 stroke, 2 width
                bool on;
                RgbColor color;
                float width;
            };
            std::vector<Change> changes;
            for (size_t i = 1; i < w.size(); i += 2) {
                if (i + 1 >= w.size()) return fail("style \"" + w[i] + "\" needs a value");
                Change c{0, true, {}, 0.0f};
                if (w[i] == "fill" || w[i] == "stroke") {
                    c.field = w[i] == "fill" ? 0 : 1;
                    c.on = w[i + 1] != "none";
                    if (c.on && !ParseColor(w[i + 1], &c.color)) return fail("expected a colour #rrggbb or none after \"" + w[i] + "\"");
                } else if (w[i] == "width") {
                    c.field = 2;
                    if (!ParseFloat(w[i + 1], &c.width) || c.width < 0) return fail("expected a width of 0 or more");
                } else {
                    return fail("unknown style field \"" + w[i] + "\" (fill, stroke, width)");
                }
                changes.push_back(c);
            }
            if (changes.empty()) return fail("expected: style [fill C|none] [stroke C|none] [width W]");
            step.run = [changes](Player& player, std::string*) {
                PathStyle& style = player.host.document().currentStyle;
                for (const Change& c : changes) {
                    if (c.field == 0) {
                        style.fillPaint = c.on ? 1 : 0;
                        if (c.on) style.fillColor = c.color;
                    } else if (c.field == 1) {
                        style.strokePaint = c.on ? 1 : 0;
                        if (c.on) style.strokeColor = c.color;
                    } else {
                        style.strokeWidth = c.width;
                    }
                }
                return true;
            };
        } else if (verb == "path") {
            bool closed = false;
            int32_t attributes = 0;
            std::vector<PathSegment> segments;
            for (size_t i = 1; i < w.size(); ++i) {
                if (w[i] == "closed") {
                    closed = true;
                } else if (w[i] == "locked") {
                    attributes |= kAttributeLocked;
                } else if (w[i] == "hidden") {
                    attributes |= kAttributeHidden;
                } else {
                    PathSegment segment{};
                    if (!ParseSegment(w[i], &segment)) return fail("bad path point \"" + w[i] + "\" (x,y or x,y:inx,iny:outx,outy)");
                    segments.push_back(segment);
                }
            }
            if (segments.empty()) return fail("a path needs at least one point");
            step.run = [segments, closed, attributes](Player& player, std::string*) {
                Document& document = player.host.document();
                document.AddPath(segments, closed, document.currentStyle, attributes);
                return true;
            };
        } else if (verb == "text") {
            TextArt art;
            int32_t attributes = 0;
            if (n < 4 || !point(1, &art.origin) || !ParseFloat(w[3], &art.size) || art.size <= 0)
                return fail("expected: text X Y SIZE \"TEXT\" [locked] [hidden]");
            art.text = w[4];
            for (size_t i = 5; i < w.size(); ++i) {
                if (w[i] == "locked") {
                    attributes |= kAttributeLocked;
                } else if (w[i] == "hidden") {
                    attributes |= kAttributeHidden;
                } else {
                    return fail("unknown text flag \"" + w[i] + "\" (locked or hidden)");
                }
            }
            step.run = [art, attributes](Player& player, std::string*) {
                Document& document = player.host.document();
                document.AddText(art, document.currentStyle, attributes);
                return true;
            };
        } else if (verb == "tolerance") {
            float tolerance = 0;
            if (n != 1 || !ParseFloat(w[1], &tolerance) || tolerance < 0) return fail("expected: tolerance T (0 or more)");
            step.run = [tolerance](Player& player, std::string*) {
                player.host.document().tolerance = tolerance;
                return true;
            };
        } else if (verb == "pref") {
            float value = 0;
            const bool remove = n == 2 && w[2] == "none";
            if (n != 2 || (!remove && !ParseFloat(w[2], &value))) return fail("expected: pref KEY VALUE | pref KEY none");
            const std::string key = w[1];
            step.run = [key, value, remove](Player& player, std::string*) {
                if (remove) {
                    player.host.RemovePreference(key);
                } else {
                    player.host.SetPreference(key, value);
                }
                return true;
            };
        } else if (verb == "options") {
            int64_t word = 0;
            if (n != 1 || !ParseInteger(w[1], &word) || word < INT32_MIN || word > UINT32_MAX)
                return fail("expected: options WORD (a 32-bit number)");
            step.run = [word](Player& player, std::string*) {
                player.host.optionWord = static_cast<int32_t>(static_cast<uint32_t>(word));
                return true;
            };
        } else if (verb == "fail" || verb == "fail-acquire" || verb == "fail-release") {
            // fail "SUITE" ENTRY CODE [NTH|every]; fail-acquire "SUITE" CODE [NTH|every]
            const bool entryCall = verb == "fail";
            const size_t codeAt = entryCall ? 3 : 2;
            int64_t entry = 0, nth = 1;
            ErrorCode code = 0;
            if (n < codeAt || n > codeAt + 1 || (entryCall && (!ParseInteger(w[2], &entry) || entry < 0 || entry > 200)) ||
                !ParseCode(w[codeAt], &code) || code == 0)
                return fail(entryCall ? "expected: fail \"SUITE\" ENTRY CODE [NTH|every] (CODE non-zero: 12 or 'parm')"
                                      : "expected: " + verb + " \"SUITE\" CODE [NTH|every] (CODE non-zero)");
            if (n == codeAt + 1) {
                if (w[codeAt + 1] == "every") {
                    nth = 0;
                } else if (!ParseInteger(w[codeAt + 1], &nth) || nth < 1 || nth > 1000000) {
                    return fail("expected NTH (1 or more) or \"every\"");
                }
            }
            const std::string suite = w[1];
            step.run = [verb, suite, entry, code, nth](Player& player, std::string*) {
                if (verb == "fail") {
                    player.host.FailCall(suite, static_cast<int>(entry), code, static_cast<int>(nth));
                } else if (verb == "fail-acquire") {
                    player.host.FailAcquire(suite, code, static_cast<int>(nth));
                } else {
                    player.host.FailRelease(suite, code, static_cast<int>(nth));
                }
                return true;
            };
        } else if (verb == "string") {
            // string LIST INDEX "TEXT": the host's own entry over the module's string tables.
            int64_t list = 0, index = 0;
            if (n != 3 || !ParseInteger(w[1], &list) || !ParseInteger(w[2], &index) || list < INT32_MIN ||
                list > INT32_MAX || index < INT32_MIN || index > INT32_MAX)
                return fail("expected: string LIST INDEX \"TEXT\" (\"\": a missing entry)");
            const std::string text = w[3];
            step.run = [list, index, text](Player& player, std::string*) {
                player.host.SetListEntry(static_cast<int32_t>(list), static_cast<int32_t>(index), text);
                return true;
            };
        } else if (verb == "clear-faults") {
            if (n != 0) return fail("\"clear-faults\" takes no arguments");
            step.run = [](Player& player, std::string*) {
                player.host.ClearFaults();
                return true;
            };
        } else {
            return fail("unknown command \"" + verb + "\"");
        }
        session.steps_.push_back(std::move(step));
    }
    return session;
}

bool Session::Play(Host& host, Picture* picture, std::ostream& out, const PlayOptions& options, PlayResult* result,
                   std::string* error) const {
    Player player(host, picture, out, options);
    auto start = [&] {
        if (player.started) return;
        player.started = true;
        if (host.document().Layers().empty()) host.document().AddLayer("Layer 1");
        player.Report(kSelectorStartup, host.Startup());
        player.Flush();
    };
    for (const Step& step : steps_) {
        player.where = step.where;
        if (step.message) start();
        std::string reason;
        const bool ok = step.run(player, &reason);
        player.Flush();
        if (!ok) {
            *error = step.where + ": " + reason;
            return false;
        }
    }
    player.where = "end";
    start();
    player.Report(kSelectorShutdown, host.Shutdown());
    player.Flush();
    result->linesDrawn = static_cast<int>(DrawnLines(host.document()).size());
    result->errorsReported = host.ErrorsReported();
    if (options.machine) {
        for (const std::string& line : DrawnLines(host.document())) out << line << "\n";
        out << "summary lines " << result->linesDrawn << " errors " << result->errorsReported << "\n";
    }
    return true;
}

std::vector<std::string> DrawnLines(const Document& document) {
    std::vector<std::string> lines;
    for (const auto& [layer, art] : document.ArtsInPaintOrder()) {
        if (!art->madeByPlugin) continue;
        std::string line = "line";
        for (const PathSegment& s : art->segments) line += " " + Exact(s.point.x) + " " + Exact(s.point.y);
        lines.push_back(line);
    }
    return lines;
}

}  // namespace simhost
