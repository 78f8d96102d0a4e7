// What a transfer shows while it runs. The uploads, downloads and a copied
// channel's send report their moments to the installed `Progress`: the
// console puts them on the bottom rows of the screen; a program without a
// screen installs none and the transfers run quietly.
#pragma once

#include <cstdint>

#include "link/outcome.h"

namespace kdv::transfer {

// Which way a transfer goes: the receiver's configuration up into its
// record, or the record down into the receiver.
enum class Direction : std::uint8_t { kUpload, kDownload };

class Progress {
 public:
  virtual ~Progress() = default;
  // A transfer of receiver rx begins.
  virtual void started(Direction direction, int rx) = 0;
  // The transfer comes to channel ch of transmitter tx; reported only while
  // nothing has failed.
  virtual void reached(Direction direction, int rx, int tx, int ch) = 0;
  // One channel goes down on its own (a copied channel while online).
  virtual void sending_channel(int rx, int tx, int ch) = 0;
  // The transfer failed with outcome; a sequence may report one failure
  // more than once (a copy's download shows it again after the download's).
  virtual void failed(Direction direction, const kdv::link::Outcome& outcome) = 0;
  // The transfer is over.
  virtual void ended(Direction direction) = 0;
};

// Installs the progress the transfers report to (not owned); null restores
// the quiet one, which shows nothing.
void set_progress(Progress* progress);
// The installed progress, or the quiet one.
Progress& progress();

}  // namespace kdv::transfer
