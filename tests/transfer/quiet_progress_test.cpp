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

std::vector<kdv::ui::Cell> cells() {
  std::vector<kdv::ui::Cell> all;
  for (int row = 1; row <= kdv::ui::kRows; ++row)
    for (int col = 1; col <= kdv::ui::kColumns; ++col) all.push_back(kdv::ui::screen_model().cell(col, row));
  return all;
}

TEST_F(QuietTransfers, DrawNothingWhetherTheyWorkOrFail) {
  const struct {
    const char* name;
    int refuse;
    kdv::link::Outcome (*run)(kdv::model::Session&);
  } cases[] = {
      {"upload", -1, kdv::transfer::upload_configuration},
      {"download", -1, kdv::transfer::download_configuration},
      {"upload refused", 7, kdv::transfer::upload_configuration},
      {"download refused", 7, kdv::transfer::download_configuration},
      {"channel refused", 7, [](kdv::model::Session& s) { return kdv::transfer::send_channel(s, 0, 1, 1); }},
  };
  const std::vector<kdv::ui::Cell> before = cells();
  int drawn = 0;
  host.on_receive = [&] { drawn += cells() != before; };
  for (const auto& c : cases) {
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
