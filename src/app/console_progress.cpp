#include "app/console_progress.h"

#include <string>

#include "model/colours.h"
#include "ui/crt.h"
#include "ui/wind.h"

namespace kdv::app {

using kdv::transfer::Direction;

namespace {

// Blanks written at the start of the bottom row: before an upload's first
// text, and over the line when a transfer ends.
constexpr std::size_t UPLOAD_CLEARS = 67, UPLOAD_ENDS = 51, DOWNLOAD_ENDS = 35;

void bottom_row(std::string_view text) {
  kdv::ui::GotoXY(1, 25);
  kdv::ui::Write(text);
}

}  // namespace

void ConsoleProgress::started(Direction direction, int rx) {
  kdv::ui::Window(1, 1, 80, 25);
  kdv::ui::TextBackground(kdv::model::kBlack);
  if (direction == Direction::kUpload) {
    bottom_row(std::string(UPLOAD_CLEARS, ' '));
    bottom_row(" Uploading Configuration ");
  } else {
    bottom_row(" Downloading Rx" + kdv::ui::STG(rx, 2) + std::string(24, ' '));
  }
}

void ConsoleProgress::reached(Direction direction, int rx, int tx, int ch) {
  if (direction == Direction::kUpload)
    bottom_row(" Uploading  Rx " + kdv::ui::STG(rx, 2) + " Tx " + kdv::ui::STG(tx, 2) + " Ch " + kdv::ui::STG(ch, 2));
  else
    bottom_row(" Downloading  Tx " + kdv::ui::STG(tx, 2) + " Ch " + kdv::ui::STG(ch, 2));
}

void ConsoleProgress::sending_channel(int rx, int tx, int ch) {
  bottom_row(" Downloading Rx " + kdv::ui::STG(rx, 2) + " Tx " + kdv::ui::STG(tx, 2) + " Ch " + kdv::ui::STG(ch, 2));
}

void ConsoleProgress::failed(Direction direction, const kdv::link::Outcome& outcome) {
  kdv::ui::WRTERROR_BLANKED(session_, outcome.text, direction == Direction::kUpload ? 23 : 24);
}

void ConsoleProgress::ended(Direction direction) {
  kdv::ui::TextBackground(kdv::model::kBlack);
  bottom_row(std::string(direction == Direction::kUpload ? UPLOAD_ENDS : DOWNLOAD_ENDS, ' '));
}

}  // namespace kdv::app
