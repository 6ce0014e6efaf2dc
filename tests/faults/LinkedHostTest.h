// Fixture: a substitute host with the linked plug-in loaded over a document
// of one path; the plug-in's state is reset after each test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "tests/faults/LinkedPlugin.h"

class LinkedHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(TRAX_RESOURCES_PATH)) GTEST_SKIP() << TRAX_RESOURCES_PATH << " has not been built";
        std::string error;
        host = trax_linked::HostWithOnePath(TRAX_RESOURCES_PATH, &error);
        ASSERT_NE(host, nullptr) << error;
    }
    void TearDown() override {
        host.reset();
        trax_linked::ResetPluginState();
    }

    std::unique_ptr<simhost::Host> host;
};
