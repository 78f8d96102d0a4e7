#include "app/console_progress.h"

#include <string>

#include "model/colours.h"
#include "ui/console.h"
#include "ui/popups.h"

namespace kdv::app {

using kdv::transfer::Direction;

namespace {

// Blanks written at the start of the bottom row: before an upload's first
// text, and over the line when a transfer ends.
constexpr std::size_t kUploadClears = 67, kUploadEnds = 51, kDownloadEnds = 35;

void bottom_row(std::string_view text) {
  kdv::ui::go_to_xy(1, 25);
  kdv::ui::write_text(text);
}

}  // namespace

void ConsoleProgress::started(Direction direction, int rx) {
  kdv::ui::set_text_window(1, 1, 80, 25);
  kdv::ui::text_background(kdv::model::kBlack);
  if (direction == Direction::kUpload) {
    bottom_row(std::string(kUploadClears, ' '));
    bottom_row(" Uploading Configuration ");
  } else {
    bottom_row(" Downloading Rx" + kdv::ui::right_aligned(rx, 2) + std::string(24, ' '));
  }
}

void ConsoleProgress::reached(Direction direction, int rx, int tx, int ch) {
  if (direction == Direction::kUpload)
    bottom_row(" Uploading  Rx " + kdv::ui::right_aligned(rx, 2) + " Tx " + kdv::ui::right_aligned(tx, 2) + " Ch " + kdv::ui::right_aligned(ch, 2));
  else
    bottom_row(" Downloading  Tx " + kdv::ui::right_aligned(tx, 2) + " Ch " + kdv::ui::right_aligned(ch, 2));
}

void ConsoleProgress::sending_channel(int rx, int tx, int ch) {
  bottom_row(" Downloading Rx " + kdv::ui::right_aligned(rx, 2) + " Tx " + kdv::ui::right_aligned(tx, 2) + " Ch " + kdv::ui::right_aligned(ch, 2));
}

void ConsoleProgress::failed(Direction direction, const kdv::link::Outcome& outcome) {
  kdv::ui::show_link_error_blanked(session_, outcome.text, direction == Direction::kUpload ? 23 : 24);
}

void ConsoleProgress::ended(Direction direction) {
  kdv::ui::text_background(kdv::model::kBlack);
  bottom_row(std::string(direction == Direction::kUpload ? kUploadEnds : kDownloadEnds, ' '));
}

}  // namespace kdv::app
