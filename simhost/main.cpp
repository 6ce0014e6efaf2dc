// simhost: plays a session of pointer events through the plug-in module and
// writes the document as SVG. Usage in README.md ("The substitute host").
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

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
    "usage: simhost [--module PATH] [--resources PATH] [--svg OUT] [--trace] [--cursors] [--machine] [SESSION]\n"
    "Plays SESSION (without one: the bundled demo, written to trax-demo.svg) through the plug-in module\n"
    "and writes the document as SVG (default: the session's name with .svg, in the current folder).\n";

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
    std::string sessionPath;
    PlayOptions options;
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
    if (!options.machine) {
        std::cout << "simhost: " << result.linesDrawn << " line" << (result.linesDrawn == 1 ? "" : "s") << " drawn, "
                  << result.errorsReported << " error" << (result.errorsReported == 1 ? "" : "s")
                  << " reported; picture: " << svg.string() << "\n";
    }
    return 0;
}
