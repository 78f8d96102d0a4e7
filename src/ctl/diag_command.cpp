#include "ctl/diag_command.h"

#include <bitset>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "ctl/output.h"
#include "link/link.h"
#include "link/outcome.h"
#include "model/code_page_437.h"
#include "model/printable_text.h"
#include "model/switches.h"

namespace kdv::ctl {

namespace {

using kdv::model::Byte;

// Bit 7 first, as the status bytes are written.
std::string bits(Byte b) { return std::bitset<8>(b).to_string(); }
// Lever 1 (bit 0) first, as the banks are set.
std::string levers(Byte b) {
  const std::string s = bits(b);
  return {s.rbegin(), s.rend()};
}

std::string trimmed(std::string_view s) {
  const std::size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(s.substr(first, s.find_last_not_of(' ') - first + 1));
}

struct Bit {
  const char* name;
  bool set;
};

std::string bit_list(const std::vector<Bit>& list) {
  std::string out;
  for (const Bit& b : list) out += std::string(out.empty() ? "" : ", ") + b.name + " " + (b.set ? "yes" : "no");
  return out;
}

}  // namespace

Exit diag_command(const DeviceOptions& o) {
  Session s(o);
  kdv::link::Link link(s.state(), kdv::link::OnFailure::kCarry);
  link.READ_VERS(s.receiver());
  link.READ_SWITCHES(s.receiver());
  if (link.failed()) fail("diag", link.outcome());
  const kdv::link::Outcome& last = link.outcome();
  const kdv::model::ReceiverRecord& rx = s.record();
  // The status facts of the last reply.
  const std::vector<Bit> status1 = {{"highway1_ok", kdv::link::highway_ok(link.reply(), 1)},
                                    {"highway2_ok", kdv::link::highway_ok(link.reply(), 2)},
                                    {"eld_active", kdv::link::eld_input_active(link.reply())}};
  const std::vector<Bit> status2 = {{"unconfirmed_changes", kdv::link::test_bit(last.status2, 0)},
                                    {"transmitter_failed", last.old_values},
                                    {"hand_held_active", last.hand_held}};
  const std::vector<std::string> hca = kdv::model::hca_switch_meaning(rx.HCASWITCH);
  const std::vector<std::string> ip = kdv::model::ip_switch_meaning(rx.IPSWITCH);
  if (o.json) {
    nlohmann::ordered_json out;
    out["ip_version"] = trimmed(rx.IPVER.view());
    out["hca_version"] = trimmed(rx.HCAVER.view());
    for (const auto& [name, byte_value, list] :
         {std::tuple{"status1", last.status1, &status1}, std::tuple{"status2", last.status2, &status2}}) {
      out[name]["bits"] = bits(byte_value);
      for (const Bit& b : *list) out[name][b.name] = b.set;
    }
    out["hca_switch"] = {{"levers", levers(rx.HCASWITCH)}, {"meaning", hca}};
    out["ip_switch"] = {{"levers", levers(rx.IPSWITCH)}, {"meaning", ip}};
    write_output("-", out.dump(2) + "\n");
    return Exit::kDone;
  }
  std::string text = "versions        IP " + kdv::model::printable_text(kdv::model::to_utf8(trimmed(rx.IPVER.view()))) +
                     ", HCA " + kdv::model::printable_text(kdv::model::to_utf8(trimmed(rx.HCAVER.view()))) + "\n";
  text += "status 1        " + bits(last.status1) + "  " + bit_list(status1) + "\n";
  text += "status 2        " + bits(last.status2) + "  " + bit_list(status2) + "\n";
  text += "HCA switch SW301, levers 1..8: " + levers(rx.HCASWITCH) + "\n";
  for (const std::string& line : hca) text += "  " + line + "\n";
  text += "IP switch SW101, levers 1..8: " + levers(rx.IPSWITCH) + "\n";
  for (const std::string& line : ip) text += "  " + line + "\n";
  write_output("-", text);
  return Exit::kDone;
}

}  // namespace kdv::ctl
