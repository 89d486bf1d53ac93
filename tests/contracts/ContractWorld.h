#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "ports/Failure.h"

namespace brivanto::testing {

// One side of a contract: how to build a world holding the fake or the real adapter of a port.
// Every case of a contract suite runs once against each, so the fake keeps only the promises the
// real adapter keeps.
template <typename World>
struct WorldMaker {
  std::string name;
  std::function<std::unique_ptr<World>()> make;

  friend void PrintTo(const WorldMaker& maker, std::ostream* out) { *out << maker.name; }
};

template <typename World>
std::string WorldName(const ::testing::TestParamInfo<WorldMaker<World>>& info) {
  return info.param.name;
}

// The Failure `action` throws; a test fails when it throws nothing or something else.
template <typename Action>
Failure FailureOf(Action action) {
  try {
    action();
  } catch (const Failure& failure) {
    return failure;
  } catch (const std::exception& error) {
    ADD_FAILURE() << "not a Failure: " << error.what();
    return AsFailure(error);
  }
  ADD_FAILURE() << "nothing was thrown";
  return Failure(0, "");
}

}  // namespace brivanto::testing
