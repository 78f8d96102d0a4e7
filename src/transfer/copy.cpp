#include "transfer/copy.h"

#include "link/comms.h"
#include "model/globals.h"
#include "transfer/progress.h"

namespace kdv::transfer {

using namespace kdv::model;

namespace {

class Copier {
 public:
  Copier(Session& session, const OPT& source, const OPT& dest)
      : session_(session), source_(source), dest_(dest) {}

  byte run() {
    COPY_RECEIVER();
    return dload_;
  }

 private:
  void COPY_RECEIVER() {
    if (dest_.TRANSMITTER == ALL) {
      dload_ = 1;
      for (int t = 1; t <= 4; ++t) COPY_TRANSMITTER(source_.TRANSMITTER == ALL ? t : source_.TRANSMITTER, t);
    } else {
      COPY_TRANSMITTER(source_.TRANSMITTER, dest_.TRANSMITTER);
    }
  }

  void COPY_TRANSMITTER(int from, int to) {
    if (dest_.CHANNEL == ALL) {
      dload_ = 1;
      if (source_.CHANNEL == ALL) {
        session_.RECEIVER[dest_.RECEIVER]->TRANSMITTER[to] =
            session_.RECEIVER[source_.RECEIVER]->TRANSMITTER[from];
      } else {
        for (int k = 1; k <= 16; ++k) COPY_CHANNEL(from, source_.CHANNEL, to, k);
      }
    } else {
      COPY_CHANNEL(from, source_.CHANNEL, to, dest_.CHANNEL);
    }
  }

  void COPY_CHANNEL(int from_tx, int from_ch, int to_tx, int to_ch) {
    session_.RECEIVER[dest_.RECEIVER]->TRANSMITTER[to_tx].CHANNEL[to_ch] =
        session_.RECEIVER[source_.RECEIVER]->TRANSMITTER[from_tx].CHANNEL[from_ch];
  }

  Session& session_;
  OPT source_;
  OPT dest_;
  byte dload_ = 0;
};

}  // namespace

void GOCOPY(Session& session, OPT SOURCE, OPT DEST, byte& DLOAD) {
  // "All" on the source side always means "all" on the destination side.
  if (SOURCE.TRANSMITTER == ALL) DEST.TRANSMITTER = ALL;
  if (SOURCE.CHANNEL == ALL) DEST.CHANNEL = ALL;
  DLOAD = Copier(session, SOURCE, DEST).run();
}

kdv::link::Outcome SENDCHANNEL(Session& session, int r, int t, int c) {
  kdv::transfer::progress().sending_channel(r, t, c);
  const auto requests = [r, t, c](kdv::link::Link& link) {
    link.SET_INPTYPE(r, t, c);
    link.SET_SCALES(r, t, c);
    link.SET_ALARMS(r, t, c);
  };
  // Nothing goes out unless every value can; after a failure the rest sends
  // nothing.
  kdv::link::Outcome outcome = kdv::link::SENDABLE(session, requests);
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
