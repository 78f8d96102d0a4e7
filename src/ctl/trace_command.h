// kdv578ctl trace: a frame trace read back as exchanges, as text or JSON.
#pragma once

#include <string>

#include "ctl/exit_codes.h"
#include "link/trace_decode.h"

namespace kdv::ctl {

struct TraceOptions {
  std::string file;
  bool json = false;
};

// The exchanges one per block: a heading line (time, attempt, receiver,
// command and place, verdict, turnaround), then the parameters sent
// ("  > key = value") and the reply's fields ("  < key = value").
std::string trace_text(const kdv::link::DecodedTrace& trace);
// A JSON array with one object per exchange.
std::string trace_json(const kdv::link::DecodedTrace& trace);

// Lines that do not read are named on standard error and skipped; a file
// none of whose lines reads (an empty one too) is refused as a usage error.
Exit trace_command(const TraceOptions& o);

}  // namespace kdv::ctl
