// Without an installed progress the transfers show nothing: they run, and
// the screen stays as it was at every wait for a reply and after the end,
// failures included.
#include <functional>
#include <vector>

#include "transfer/copy.h"
#include "transfer/download.h"
#include "transfer/transfer_fixture.h"
#include "transfer/upload.h"

namespace {

using QuietTransfers = ScreenLinkTest;

std::vector<crt::Cell> cells() {
  std::vector<crt::Cell> all;
  for (int row = 1; row <= crt::ROWS; ++row)
    for (int col = 1; col <= crt::COLS; ++col) all.push_back(crt::Screen().cell(col, row));
  return all;
}

TEST_F(QuietTransfers, DrawNothingWhetherTheyWorkOrFail) {
  const struct {
    const char* name;
    int refuse;
    comms::Outcome (*run)(globals::Session&);
  } CASES[] = {
      {"upload", -1, upload::UPLOAD},
      {"download", -1, download::DOWNLOAD},
      {"upload refused", 7, upload::UPLOAD},
      {"download refused", 7, download::DOWNLOAD},
      {"channel refused", 7, [](globals::Session& s) { return copy::SENDCHANNEL(s, 0, 1, 1); }},
  };
  const std::vector<crt::Cell> before = cells();
  int drawn = 0;
  host.on_receive = [&] { drawn += cells() != before; };
  for (const auto& c : CASES) {
    rx.faults.refuse = c.refuse;
    rx.clear_requests();
    drawn = 0;
    EXPECT_EQ(c.run(session).ok(), c.refuse < 0) << c.name;
    EXPECT_FALSE(rx.requests().empty()) << c.name;
    EXPECT_EQ(drawn, 0) << c.name;
    EXPECT_TRUE(cells() == before) << c.name;
  }
}

}  // namespace
