#include "transfer/copy.h"

#include "link/link.h"
#include "link/outcome.h"
#include "model/records.h"
#include "transfer/progress.h"

namespace kdv::transfer {

using namespace kdv::model;

namespace {

class Copier {
 public:
  Copier(Session& session, const CopySide& source, const CopySide& dest)
      : session_(session), source_(source), dest_(dest) {}

  Byte run() {
    copy_receiver();
    return dload_;
  }

 private:
  void copy_receiver() {
    if (dest_.transmitter == kAll) {
      dload_ = 1;
      for (int t = 1; t <= 4; ++t) copy_transmitter(source_.transmitter == kAll ? t : source_.transmitter, t);
    } else {
      copy_transmitter(source_.transmitter, dest_.transmitter);
    }
  }

  void copy_transmitter(int from, int to) {
    if (dest_.channel == kAll) {
      dload_ = 1;
      if (source_.channel == kAll) {
        session_.receivers[dest_.receiver]->TRANSMITTER[to] =
            session_.receivers[source_.receiver]->TRANSMITTER[from];
      } else {
        for (int k = 1; k <= 16; ++k) copy_channel(from, source_.channel, to, k);
      }
    } else {
      copy_channel(from, source_.channel, to, dest_.channel);
    }
  }

  void copy_channel(int from_tx, int from_ch, int to_tx, int to_ch) {
    session_.receivers[dest_.receiver]->TRANSMITTER[to_tx].CHANNEL[to_ch] =
        session_.receivers[source_.receiver]->TRANSMITTER[from_tx].CHANNEL[from_ch];
  }

  Session& session_;
  CopySide source_;
  CopySide dest_;
  Byte dload_ = 0;
};

}  // namespace

void copy_settings(Session& session, CopySide source, CopySide dest, Byte& download_offered) {
  // "All" on the source side always means "all" on the destination side.
  if (source.transmitter == kAll) dest.transmitter = kAll;
  if (source.channel == kAll) dest.channel = kAll;
  download_offered = Copier(session, source, dest).run();
}

kdv::link::Outcome send_channel(Session& session, int r, int t, int c) {
  kdv::transfer::progress().sending_channel(r, t, c);
  const auto requests = [r, t, c](kdv::link::Link& link) {
    link.SET_INPTYPE(r, t, c);
    link.SET_SCALES(r, t, c);
    link.SET_ALARMS(r, t, c);
  };
  // Nothing goes out unless every value can; after a failure the rest sends
  // nothing.
  kdv::link::Outcome outcome = kdv::link::sendable(session, requests);
  if (outcome.ok()) {
    kdv::link::Link link(session, kdv::link::OnFailure::kCarry);
    requests(link);
    outcome = link.outcome();
  }
  if (!outcome.ok()) kdv::transfer::progress().failed(kdv::transfer::Direction::kDownload, outcome);
  kdv::transfer::progress().ended(kdv::transfer::Direction::kDownload);
  return outcome;
}

}  // namespace kdv::transfer
