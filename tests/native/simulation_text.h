// A simulated frontend's file as the native tests write it: the text
// parsed, and the test failed with the parser's reason where it does not
// parse.
#pragma once
#include <gtest/gtest.h>
#include <string>

#include "dvb/common/simulation.h"

inline Simulation simulationOf(const std::string& text)
{
    Simulation simulation;
    std::string error;
    EXPECT_TRUE(parseSimulation(text, &simulation, &error)) << error;
    return simulation;
}
