#pragma once

#include <gtest/gtest.h>

#include <string>

namespace lintari::testing_support {

// Names a table row after its `name` field, so a failing row reads as
// "Table/TextToIntAccepts.GivesTheValue/LeadingZeros".
struct RowName {
  template <class Row>
  std::string operator()(const ::testing::TestParamInfo<Row>& row) const {
    return row.param.name;
  }
};

}  // namespace lintari::testing_support
