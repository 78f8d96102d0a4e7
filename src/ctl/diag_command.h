// kdv578ctl diag: the receiver's versions, status bits and switch banks
// with their meaning, as text or JSON.
#pragma once

#include "ctl/receiver_session.h"

namespace kdv::ctl {

Exit diag_command(const DeviceOptions& o);

}  // namespace kdv::ctl
