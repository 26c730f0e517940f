#include "core/error.h"

#include <gtest/gtest.h>

namespace lintari {
namespace {

TEST(ErrorBoxText, AppendsAFullStopOnlyAfterCharactersAboveIt) {
  EXPECT_EQ(errorBoxText("'' is not a valid integer value"), "'' is not a valid integer value.");
  EXPECT_EQ(errorBoxText("Invalid port number (COM3)"), "Invalid port number (COM3)");
  EXPECT_EQ(errorBoxText("Can't open device COM4"), "Can't open device COM4.");
  EXPECT_EQ(errorBoxText("Failed to set data for 'USERINIT'"), "Failed to set data for 'USERINIT'");
  EXPECT_EQ(errorBoxText("TVaModem: error writing to comm."), "TVaModem: error writing to comm.");
  EXPECT_EQ(errorBoxText("нет связи"), "нет связи.");
  EXPECT_EQ(errorBoxText(""), "");
}

TEST(FormatMessage, FillsPlaceholdersInOrder) {
  EXPECT_EQ(formatMessage("Error writing dcb (%d), %s", {"5", "Input/output error"}),
            "Error writing dcb (5), Input/output error");
  EXPECT_EQ(formatMessage("100%", {}), "100%");
}

}  // namespace
}  // namespace lintari
