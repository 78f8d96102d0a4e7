// The records written out field by field, as a failed comparison of whole
// records shows them: one line for the receiver's settings, one per
// transmitter and one per channel.
#include <charconv>
#include <ostream>
#include <string>
#include <utility>

#include "model/code_page_437.h"
#include "model/records.h"

namespace kdv::model {

namespace {

// A text quoted, its code page 437 bytes as their characters.
template <std::size_t N>
std::string quoted(const Text<N>& t) {
  return '"' + kdv::model::to_utf8(t.view()) + '"';
}

// The shortest text that reads back as the same number, so that unequal
// values never print alike.
std::string number(double x) {
  char buf[32];
  return {buf, std::to_chars(buf, buf + sizeof buf, x).ptr};
}

}  // namespace

void PrintTo(const ChannelRecord& ch, std::ostream* os) {
  *os << "{INPUT_TYPE " << int{ch.INPUT_TYPE} << ", THC_DRIVE " << int{ch.THC_DRIVE}
      << ", LOW_ALARM " << number(ch.LOW_ALARM) << ", HIGH_ALARM " << number(ch.HIGH_ALARM)
      << ", SCALE_IPZERO " << number(ch.SCALE_IPZERO) << ", SCALE_GAIN " << number(ch.SCALE_GAIN)
      << ", SCALE_OPZERO " << number(ch.SCALE_OPZERO) << ", VALUE " << quoted(ch.VALUE)
      << ", VUNIT " << quoted(ch.VUNIT) << ", ALARM " << int{ch.ALARM} << '}';
}

void PrintTo(const TransmitterRecord& tx, std::ostream* os) {
  *os << "{TXTYPE " << int{tx.TXTYPE} << ", CJTEMP " << quoted(tx.CJTEMP) << ", CJUNIT "
      << quoted(tx.CJUNIT) << '}';
  for (int c = 1; c <= 16; ++c) {
    *os << "\n    channel " << c << ' ';
    PrintTo(tx.CHANNEL[c], os);
  }
}

void PrintTo(const ReceiverRecord& rx, std::ostream* os) {
  const std::pair<const char*, int> numbers[] = {
      {"ADD_MODE", rx.ADD_MODE}, {"MOD_ADDRESSA", rx.MOD_ADDRESSA},
      {"MOD_ADDRESSB", rx.MOD_ADDRESSB}, {"DATA_FORMAT", rx.DATA_FORMAT},
      {"COMM_MODE", rx.COMM_MODE}, {"MOD_BAUD", rx.MOD_BAUD}, {"MOD_PARITY", rx.MOD_PARITY},
      {"MOD_DBITS", rx.MOD_DBITS}, {"MOD_STOP", rx.MOD_STOP}, {"MOD_MODE", rx.MOD_MODE},
      {"CHECK_MODE", rx.CHECK_MODE}, {"CHECKSUM", rx.CHECKSUM}, {"RAMCHKSUM", rx.RAMCHKSUM},
      {"CKSUM_BASE", rx.CKSUM_BASE}, {"NO_OF_TX", rx.NO_OF_TX}, {"UNITS", rx.UNITS},
      {"STATUS1", rx.STATUS1}, {"STATUS2", rx.STATUS2}, {"HW1", rx.HW1}, {"HW2", rx.HW2},
      {"ELD", rx.ELD}, {"SYSFAIL", rx.SYSFAIL}, {"LINE_REJ", rx.LINE_REJ},
      {"HCASWITCH", rx.HCASWITCH}, {"IPSWITCH", rx.IPSWITCH}};
  *os << "{TAG_FIELD " << quoted(rx.TAG_FIELD) << ", HCAVER " << quoted(rx.HCAVER) << ", IPVER "
      << quoted(rx.IPVER);
  for (const auto& [name, value] : numbers) *os << ", " << name << ' ' << value;
  *os << '}';
  for (int t = 1; t <= 4; ++t) {
    *os << "\n  transmitter " << t << ' ';
    PrintTo(rx.TRANSMITTER[t], os);
  }
}

void PrintTo(const HeldFlagsRecord& config, std::ostream* os) {
  *os << "{RXCONFIG";
  for (bool on : config.RXCONFIG) *os << ' ' << int{on};
  *os << '}';
}

}  // namespace kdv::model
