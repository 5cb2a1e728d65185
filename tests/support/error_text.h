#pragma once
// The text of the error a step raises, for checking what the user is told.

#include <gtest/gtest.h>

#include <string>

namespace ricordex::testing {

// The text of the error of type E that `step` raises; the test fails when
// it raises none (an error of another type fails it too, uncaught).
template <typename E, typename Step>
std::string ErrorText(Step&& step) {
    try {
        step();
    } catch (const E& error) {
        return error.what();
    }
    ADD_FAILURE() << "no error was raised";
    return {};
}

}  // namespace ricordex::testing
