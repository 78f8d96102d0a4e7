// kdv578ctl get and set: single settings of a receiver by their dotted keys,
// read with the command that carries them and set as the console's editors
// set them online, under the editors' rules.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ctl/receiver_session.h"

namespace kdv::ctl {

struct GetOptions {
  DeviceOptions device;
  std::vector<std::string> keys;
};
struct SetOptions {
  DeviceOptions device;
  std::vector<std::string> assignments;  // KEY=VALUE
};

Exit get_command(const GetOptions& o);
Exit set_command(const SetOptions& o);

// A setting named by its dotted key.
struct KeyPlace {
  const kdv::model::SettingKey* key;
  kdv::model::Place place;
};
std::optional<KeyPlace> find_key(std::string_view dotted);

// A value as a user writes it on the command line: a name or a code for a
// coded setting, a number, a text with or without its quotes. Why it does
// not fit the key, or nothing. With a record, a name must be one the key
// has at that place of it.
std::optional<std::string> parse_value(const kdv::model::SettingKey& key, std::string_view text, kdv::model::Value& value,
                                       const kdv::model::ReceiverRecord* rx = nullptr, kdv::model::Place p = {});

// Why the console's editors would not make the assignment on a receiver in
// the state `c` holds, or nothing.
std::optional<std::string> editor_refuses(const kdv::model::SettingKey& key, kdv::model::Place p,
                                          const kdv::model::Value& value, const kdv::model::Configuration& c);

}  // namespace kdv::ctl
