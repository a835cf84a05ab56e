// The check of the tests that compile a program and run it in node: the
// compile wrote its script without a warning or an error, and node ran it to
// the end printing exactly what was worked out by hand.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "harness.h"

namespace ruvotest {

inline void expectCleanRun(const SourcesRun& r, const std::string& expected) {
  ASSERT_FALSE(r.js.empty()) << r.messages;
  EXPECT_EQ(r.messages.find("MSG,7,"), std::string::npos) << r.messages;
  EXPECT_EQ(r.node.exitCode, 0) << r.node.err;
  EXPECT_EQ(r.node.out, expected) << r.node.err << r.js;
}

}  // namespace ruvotest
