// The diagnostics screen: the receiver's switch banks, checksums and status
// bytes, the plain-word explanation of each switch bank, and the clearing of
// the status flag (status 2, bit 0).
#pragma once

#include "model/session.h"

namespace kdv::edit {

// The diagnostics menu loop on receiver r; online it first reads the
// checksum and the switch banks.
void diagnostics_menu(kdv::model::Session& session, int r);
// Fill the value column of the diagnostics screen.
void fill_diagnostic_values(kdv::model::Session& session);
// The explanation boxes of the HCA switch bank SW301 and the IP switch bank
// SW101; each waits for a key.
void explain_hca_switches(kdv::model::Session& session);
void explain_ip_switches(kdv::model::Session& session);
// Ask whether to clear the status flag, and clear it.
void clear_status_flag(kdv::model::Session& session);

}  // namespace kdv::edit
