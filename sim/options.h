// The simulator's command line: pacing, the receiver's starting state and
// the fault switches.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "receiver.h"

namespace kdv::sim {

struct Options {
  Faults faults;
  bool paced = false;    // replies leave at 9600 baud, 10 bits a byte
  bool verbose = false;  // every request and reply on standard error
  bool help = false;
  bool version = false;
  std::string trace;      // a file for the trace of every frame, or empty
  int address = 0;
  int ip_switch = -1;   // -1: as the receiver starts
  int hca_switch = -1;
  bool write_disabled = false;
  std::vector<int> transmitters;  // types 1 (571) or 2 (572), one per transmitter
  std::optional<kdv::model::ReceiverRecord> start;  // a saved configuration (--rxd)
};

// False, with the reason in error, for an unknown option or a bad value.
bool parse_options(const std::vector<std::string>& args, Options& options, std::string& error);
std::string usage();
// The text --help or --version asks for, printed instead of simulating.
std::optional<std::string> answer_instead_of_running(const Options& options);
// Puts the starting state of the options into the receiver: a saved
// configuration first, then the switch and transmitter options over it.
void apply(const Options& options, Receiver& rx);

}  // namespace kdv::sim
