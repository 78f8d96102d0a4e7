// kdv578ctl audit: the audit journal as a table or JSON, optionally from a
// time on and for one port.
#pragma once

#include <string>

#include "ctl/exit_codes.h"
#include "link/audit.h"

namespace kdv::ctl {

struct AuditOptions {
  std::string since;  // UTC, ISO 8601 from the date on ("2026-12-08", "2026-12-08T13:05"); empty: all
  std::string port;   // empty: every port
  bool json = false;
};

// Whether the text is a time --since takes.
bool valid_since(const std::string& since);

// The journal's entries the options select: a line per entry (time,
// user@host, program, port, receiver, operation, outcome, "confirmed" or
// "unconfirmed" after a read-back), then a line per key
// ("    tx1.ch3.high_alarm: 60.0 -> 80.0", "(read back: 60.0)" after a
// value read back otherwise); or with json an array of the entries as
// written.
std::string audit_listing(const kdv::link::JournalRead& journal, const AuditOptions& o);

// Reads the journal of KDV578_AUDIT or the default place; damaged lines are
// named on standard error and skipped. No journal yet lists as an empty one.
Exit audit_command(const AuditOptions& o);

}  // namespace kdv::ctl
