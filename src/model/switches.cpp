#include "model/switches.h"

namespace kdv::model {

namespace {

bool lever(Byte bank, int bit) { return ((bank >> bit) & 1) != 0; }

const char* const kSerialSettings[16] = {
    "300 Baud 8bit no parity",     "1200 Baud 8bit no parity",
    "1200 Baud 8bit odd parity",   "1200 Baud 8bit even parity",
    "2400 Baud 8bit no parity",    "9600 Baud 8bit no parity",
    "9600 Baud 8bit odd parity",   "9600 Baud 8bit even parity",
    "9600 Baud 7bit no parity",    "9600 Baud 7bit odd parity",
    "9600 Baud 7bit even parity",  "19200 Baud 8bit no parity",
    "ERROR - INVALID COMMS SETTING", "ERROR - INVALID COMMS SETTING",
    "ERROR - INVALID COMMS SETTING", "Comms Parameters software defined"};

}  // namespace

std::vector<std::string> hca_switch_meaning(Byte bank) {
  return {kSerialSettings[bank & 0x0F],
          lever(bank, 4) ? "Link B address = Link A address + 32" : "Link B address = Link A address",
          lever(bank, 6) ? "ASCII Mode" : "RTU Mode"};
}

std::vector<std::string> ip_switch_meaning(Byte bank) {
  const int address = bank & 0x1F;
  return {address == 0 ? "Modbus Address Software Defined" : "Modbus Address: " + std::to_string(address),
          lever(bank, 5) ? "QDU57 configuration DISABLED" : "QDU57 configuration ENABLED",
          lever(bank, 6) ? "Serial configuration DISABLED" : "Serial configuration ENABLED",
          factory_lever_set(bank) ? "FACTORY TEST SETTING - CHANGE!" : "Normal operation"};
}

bool factory_lever_set(Byte ip_bank) { return lever(ip_bank, 7); }

}  // namespace kdv::model
