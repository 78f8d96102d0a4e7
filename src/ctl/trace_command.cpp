#include "ctl/trace_command.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <nlohmann/json.hpp>

#include "ctl/file_commands.h"
#include "ctl/output.h"
#include "link/trace.h"
#include "model/printable_text.h"

namespace kdv::ctl {

std::string trace_text(const kdv::link::DecodedTrace& trace) {
  using kdv::model::printable_text;
  std::string out;
  for (const kdv::link::TracedExchange& e : trace.exchanges) {
    out += std::to_string(e.ms) + " ms";
    if (!e.attempt.empty()) out += "  attempt " + printable_text(e.attempt);
    if (e.receiver >= 0) out += "  receiver " + std::to_string(e.receiver);
    if (!e.command.empty()) out += "  " + printable_text(e.command);
    if (!e.place.empty()) out += " " + printable_text(e.place);
    out += ": " + std::string(kdv::link::verdict_name(e.verdict));
    if (!e.text.empty()) out += ": " + printable_text(e.text);
    if (e.refusal >= 0) out += " (code " + std::to_string(e.refusal) + ")";
    if (e.turnaround_ms) out += ", turnaround " + std::to_string(*e.turnaround_ms) + " ms";
    out += '\n';
    for (const auto& p : e.parameters) out += "  > " + printable_text(p.key) + " = " + printable_text(p.value) + "\n";
    for (const auto& f : e.fields) out += "  < " + printable_text(f.key) + " = " + printable_text(f.value) + "\n";
  }
  return out;
}

std::string trace_json(const kdv::link::DecodedTrace& trace) {
  auto settings = [](const std::vector<kdv::link::TracedSetting>& list) {
    nlohmann::ordered_json o = nlohmann::ordered_json::object();
    for (const auto& s : list) o[s.key] = s.value;
    return o;
  };
  nlohmann::ordered_json all = nlohmann::ordered_json::array();
  for (const kdv::link::TracedExchange& e : trace.exchanges) {
    nlohmann::ordered_json j;
    j["line"] = e.line;
    j["ms"] = e.ms;
    int attempt = 0;
    const auto [end, ec] = std::from_chars(e.attempt.data(), e.attempt.data() + e.attempt.size(), attempt);
    if (e.attempt.empty())
      j["attempt"] = nullptr;
    else if (ec == std::errc() && end == e.attempt.data() + e.attempt.size())
      j["attempt"] = attempt;
    else
      j["attempt"] = e.attempt;
    j["receiver"] = e.receiver >= 0 ? nlohmann::ordered_json(e.receiver) : nlohmann::ordered_json();
    j["command"] = e.command;
    j["place"] = e.place;
    j["parameters"] = settings(e.parameters);
    j["reply"] = settings(e.fields);
    j["verdict"] = kdv::link::verdict_name(e.verdict);
    if (e.refusal >= 0) j["code"] = e.refusal;
    if (!e.text.empty()) j["text"] = e.text;
    if (e.turnaround_ms) j["turnaround_ms"] = *e.turnaround_ms;
    all.push_back(std::move(j));
  }
  return all.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

namespace {

// A trace starts with its heading, or (cut from a longer one) has at least
// one line that reads as a trace line; comments and blank lines alone do not
// make one.
bool looks_like_trace(std::string_view text, const kdv::link::DecodedTrace& trace) {
  if (text.starts_with(kdv::link::kTraceHeading)) return true;
  std::size_t lines = 0;
  for (std::size_t from = 0; from < text.size();) {
    const std::size_t end = std::min(text.find('\n', from), text.size());
    if (end > from && text[from] != '#') ++lines;
    from = end + 1;
  }
  return lines > trace.damaged.size();
}

}  // namespace

Exit trace_command(const TraceOptions& o) {
  const std::string text = read_document(o.file);
  const kdv::link::DecodedTrace trace = kdv::link::decode_trace(text);
  if (!looks_like_trace(text, trace))
    throw Failure{Exit::kUsage, "kdv578ctl: " + o.file + " is not a frame trace: no line of it reads as one"};
  for (const std::string& damaged : trace.damaged) message("kdv578ctl: " + o.file + ": " + damaged + "; skipped");
  write_output("-", o.json ? trace_json(trace) : trace_text(trace));
  return Exit::kDone;
}

}  // namespace kdv::ctl
