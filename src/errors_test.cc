#include "src/errors.h"

#include <gtest/gtest.h>

namespace {

TEST(ErrorReportTest, IsCutToTheBuffer) {
  const std::string head = "Exception ERegistryException in module tarnwell.exe at 00000000.\r\n";
  for (size_t length : {1021 - head.size(), 1022 - head.size(), 5000ul}) {
    const std::string message(length, 'x');
    const std::string report =
        ErrorReport(ERegistryException("ERegistryException", message, nullptr), "tarnwell.exe", 0);
    EXPECT_EQ(report, (head + message + ".\r\n").substr(0, 1023)) << length;
  }
  // A message gets one full stop at the most; an empty one gets none.
  for (const std::string message : {"", "ends."})
    EXPECT_EQ(ErrorReport(EWriteError("E", message, nullptr), "m", 0),
              "Exception E in module m at 00000000.\r\n" + message + "\r\n");
}

}  // namespace
