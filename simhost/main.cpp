// simhost: plays a session of pointer events through the plug-in module and
// writes the document as SVG. Usage in README.md ("The substitute host").
#include <cctype>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

#include "simhost/BoxPicture.h"
#include "simhost/Host.h"
#include "simhost/Session.h"
#include "simhost/Svg.h"

namespace simhost {
extern const char* const kDemoSession;
}

namespace {

constexpr int kExitFailure = 1;   // the module or the output could not be handled
constexpr int kExitBadInput = 2;  // bad arguments or a bad session

const char* const kUsage =
    "usage: simhost [--module PATH] [--resources PATH] [--svg OUT] [--boxes DIR] [--trace] [--cursors] [--machine]\n"
    "               [--hold-dialogs MS] [SESSION]\n"
    "Plays SESSION (without one: the bundled demo, written to trax-demo.svg) through the plug-in module\n"
    "and writes the document as SVG (default: the session's name with .svg, in the current folder).\n"
    "Each box the session closed is drawn as OUT-stem.KIND.svg (about, error; -2, -3 ... for more of a\n"
    "kind) beside OUT, or in DIR with --boxes. On Windows the boxes are real windows, and\n"
    "--hold-dialogs keeps each up for MS milliseconds before OK is pressed (elsewhere it does nothing).\n";

// "About Dialog" gives "about": the name in lower case, without "dialog".
std::string BoxKind(const std::string& name) {
    std::string kind;
    for (const char c : name) {
        if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
            kind.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        } else if (!kind.empty() && kind.back() != '-') {
            kind.push_back('-');
        }
    }
    while (!kind.empty() && kind.back() == '-') kind.pop_back();
    const std::string suffix = "-dialog";
    if (kind.size() > suffix.size() && kind.ends_with(suffix)) kind.resize(kind.size() - suffix.size());
    return kind.empty() || kind == "dialog" ? "box" : kind;
}

// Writes a picture of every closed box: STEM.KIND.svg, then STEM.KIND-2.svg ...
bool WriteBoxPictures(simhost::Host& host, const std::filesystem::path& dir, const std::string& stem, bool report,
                      std::string* error) {
    std::map<std::string, int> seen;
    for (const simhost::ClosedBox& box : host.dialogs().Boxes()) {
        const std::string kind = BoxKind(box.name);
        const int ordinal = ++seen[kind];
        const auto path = dir / (stem + "." + kind + (ordinal > 1 ? "-" + std::to_string(ordinal) : "") + ".svg");
        if (!simhost::WriteFileAtomically(path, simhost::RenderBoxSvg(box, host.Resources()), error)) return false;
        if (report) std::cout << "simhost: box \"" << box.title << "\" drawn in " << path.string() << "\n";
    }
    return true;
}

int BadInput(const std::string& message) {
    std::cerr << "simhost: " << message << "\n";
    return kExitBadInput;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace simhost;
    std::filesystem::path module = SIMHOST_DEFAULT_MODULE;
    std::filesystem::path resources;
    std::filesystem::path svg;
    std::filesystem::path boxes;
    std::string sessionPath;
    PlayOptions options;
    int holdMs = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::filesystem::path* into) {
            if (i + 1 >= argc) return false;
            *into = argv[++i];
            return true;
        };
        if (arg == "--module") {
            if (!value(&module)) return BadInput("--module needs a path\n" + std::string(kUsage));
        } else if (arg == "--resources") {
            if (!value(&resources)) return BadInput("--resources needs a path\n" + std::string(kUsage));
        } else if (arg == "--svg") {
            if (!value(&svg)) return BadInput("--svg needs a path\n" + std::string(kUsage));
        } else if (arg == "--boxes") {
            if (!value(&boxes)) return BadInput("--boxes needs a folder\n" + std::string(kUsage));
        } else if (arg == "--hold-dialogs") {
            std::filesystem::path ms;
            if (!value(&ms)) return BadInput("--hold-dialogs needs milliseconds\n" + std::string(kUsage));
            const std::string digits = ms.string();
            const auto [end, failure] = std::from_chars(digits.data(), digits.data() + digits.size(), holdMs);
            if (failure != std::errc() || end != digits.data() + digits.size() || holdMs < 0 || holdMs > 600000)
                return BadInput("--hold-dialogs needs milliseconds from 0 to 600000\n" + std::string(kUsage));
        } else if (arg == "--trace") {
            options.trace = true;
        } else if (arg == "--cursors") {
            options.cursors = true;
        } else if (arg == "--machine") {
            options.machine = true;
        } else if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (!arg.empty() && arg[0] == '-') {
            return BadInput("unknown option " + arg + "\n" + kUsage);
        } else if (sessionPath.empty()) {
            sessionPath = arg;
        } else {
            return BadInput("only one session file may be given\n" + std::string(kUsage));
        }
    }

    std::string text;
    std::string sessionName = "demo.session";
    if (sessionPath.empty()) {
        text = kDemoSession;
        if (svg.empty()) svg = "trax-demo.svg";
    } else {
        std::ifstream in(sessionPath, std::ios::binary);
        if (!in) return BadInput("cannot read session file " + sessionPath);
        std::ostringstream contents;
        contents << in.rdbuf();
        text = contents.str();
        sessionName = sessionPath;
        if (svg.empty()) svg = std::filesystem::path(sessionPath).stem().string() + ".svg";
    }

    std::string error;
    const auto session = Session::Parse(text, sessionName, &error);
    if (!session) return BadInput(error);

    Host host;
    host.dialogs().holdMs = holdMs;
    if (!host.Load(module, resources, &error)) {
        std::cerr << "simhost: " << error << "\n";
        return kExitFailure;
    }
    Picture picture;
    PlayResult result;
    if (!session->Play(host, &picture, std::cout, options, &result, &error)) return BadInput(error);

    if (!WriteFileAtomically(svg, RenderSvg(host.document(), picture), &error)) {
        std::cerr << "simhost: " << error << "\n";
        return kExitFailure;
    }
    if (!host.dialogs().Boxes().empty()) {
        const std::filesystem::path dir = boxes.empty() ? svg.parent_path() : boxes;
        std::error_code failure;
        if (!dir.empty()) std::filesystem::create_directories(dir, failure);
        if (failure || !WriteBoxPictures(host, dir, svg.stem().string(), !options.machine, &error)) {
            std::cerr << "simhost: " << (failure ? "cannot make " + dir.string() + ": " + failure.message() : error) << "\n";
            return kExitFailure;
        }
    }
    if (!options.machine) {
        std::cout << "simhost: " << result.linesDrawn << " line" << (result.linesDrawn == 1 ? "" : "s") << " drawn, "
                  << result.errorsReported << " error" << (result.errorsReported == 1 ? "" : "s")
                  << " reported; picture: " << svg.string() << "\n";
    }
    return 0;
}
