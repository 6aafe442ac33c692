#pragma once

// Put in front of every test source by the build: failure messages show QString values (alone,
// in lists, in optionals) as quoted text, the way they show std::string.
#include <QString>
#include <gtest/gtest.h>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << ::testing::PrintToString(text.toStdString());
}
