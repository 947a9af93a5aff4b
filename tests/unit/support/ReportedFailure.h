// Unit tests link an error sink that throws the text the program would have shown, so that a
// test can assert whole messages without ending the test program.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/TextEncoding.h"

struct ReportedFailure {
    std::wstring text;  // exactly what the error box would have shown
};

// Asserts that `statement` ends in an error report showing exactly `expected`.
#define EXPECT_REPORT(statement, expected)                                                   \
    do {                                                                                     \
        try {                                                                                \
            statement;                                                                       \
            ADD_FAILURE() << "no error was reported";                                        \
        } catch (const ReportedFailure& failure) {                                           \
            EXPECT_EQ(toUtf8(failure.text), toUtf8(expected));                               \
        }                                                                                    \
    } while (false)
