#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/SharedData.h"
#include "tools/amihost/channel/TouchstoneFile.h"
#include "tools/amihost/signal/TextFile.h"

// A measured Touchstone file of the shared data, read; a failure (and an
// empty network) where it cannot be read. `dir` is SharedDataDir("touchstone").
inline TouchstoneData SharedTouchstone(const std::string& dir, const std::string& name)
{
    std::string text;
    std::string error;
    TouchstoneData data;
    EXPECT_TRUE(TextFile::Read(dir + "/" + name, TouchstoneFile::MaxBytes, text, error)) << error;
    EXPECT_TRUE(TouchstoneFile::Read(text, name, data, error)) << error;
    return data;
}
