// The plug-in linked into a test, benchmark or fuzzing program, loaded by the
// substitute host as if it were the module file. Each load gives the plug-in
// the state a fresh module has (every process-wide value zero), as the
// system's loader would; its suite slots and nesting count stay in reach.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "simhost/Host.h"

namespace trax_linked {

// Loads the linked plug-in into `host` with the module's resources (a .res
// file). False with *error set when they cannot be read.
bool Load(simhost::Host& host, const std::filesystem::path& resources, std::string* error);

// The start of a path anchored at (100, 100) that runs to (200, 100).
constexpr Point kPathStart = {100.0f, 100.0f};
// A host with the linked plug-in loaded (not started) over a document whose
// one layer, "Art", holds that path. Null with *error set on failure.
std::unique_ptr<simhost::Host> HostWithOnePath(const std::filesystem::path& resources, std::string* error);

// The plug-in as a fresh load leaves it: no globals, nesting count 0, every slot null.
void ResetPluginState();

// Names the suites whose slots are filled, in table order; empty when none is.
std::string HeldSlots();
// The suite table row of suite `name`, or -1.
int RowOfSuite(const std::string& name);

}  // namespace trax_linked
