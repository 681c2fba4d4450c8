#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tools/amihost/amifile/AmiFile.h"
#include "tools/amihost/signal/TextFile.h"

// The text of the .ami file that ships with the model (HALVEX_AMI_PATH, the
// source tree's). A file that cannot be read fails the calling test and
// gives an empty text, which every reader then refuses.
inline std::string ModelAmiText()
{
    std::string text;
    std::string error;
    if (!TextFile::Read(HALVEX_AMI_PATH, AmiFile::MaxBytes, text, error)) {
        ADD_FAILURE() << error;
        return "";
    }
    return text;
}
