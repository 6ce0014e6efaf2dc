// Session files: one command a line, played against the host. The syntax is
// documented in README.md ("The substitute host").
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "simhost/Host.h"
#include "simhost/Svg.h"

namespace simhost {

struct PlayOptions {
    bool trace = false;    // print every host call
    bool cursors = false;  // print the cursor after each move
    bool machine = false;  // machine-readable report lines
};

struct PlayResult {
    int linesDrawn = 0;      // paths the tool made that are in the document at the end
    int errorsReported = 0;  // alerts and error boxes
};

class Player;

class Session {
public:
    // Parses a whole session; a bad line gives "FILE:LINE: reason" in *error.
    static std::optional<Session> Parse(std::string_view text, const std::string& fileName, std::string* error);

    // Plays the session: "Startup" before the first message, "Shutdown" after
    // the last. The picture settings of the session go into *picture. False
    // with *error ("FILE:LINE: reason") when a command cannot be carried out.
    bool Play(Host& host, Picture* picture, std::ostream& out, const PlayOptions& options, PlayResult* result,
              std::string* error) const;

private:
    struct Step {
        std::string where;  // "FILE:LINE"
        bool message = false;  // sends the module a message (so needs "Startup" first)
        std::function<bool(Player&, std::string*)> run;
    };
    std::vector<Step> steps_;
};

// The lines the tool drew, in paint order, one "line x1 y1 x2 y2 ..." each, floats exact (%.9g).
std::vector<std::string> DrawnLines(const Document& document);

}  // namespace simhost
