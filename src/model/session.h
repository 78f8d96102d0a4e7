// The state of one running program that its commands share. One object,
// made by whoever runs the program (the console's entry, a test) and passed
// to what needs it; nothing keeps a pointer to it.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model/colours.h"
#include "model/records.h"
#include "model/indexed.h"
#include "model/screen_files.h"
#include "model/text.h"

namespace kdv::model {

struct Session {
  // Everything back to what a freshly started program has: no receiver
  // record, empty message table, port list and menu screens.
  void reset() { *this = Session{}; }

  // One record per receiver number a request can address (0..15), or none:
  // the console fills slot 0, kdv578ctl the slot of the receiver it talks
  // to.
  std::array<std::unique_ptr<ReceiverRecord>, 16> receivers;
  // Per port and receiver number, the settings the link last read from the
  // receiver or wrote to it, by dotted key as the text format writes them:
  // the old values a change reports.
  std::map<std::pair<std::string, int>, std::map<std::string, std::string>> known_settings;
  // Downloads in progress: the changes they send report no old values.
  int downloads_in_progress = 0;
  Indexed<bool, 0, 15> receiver_present{};
  HeldFlagsRecord held_flags{};
  // The current receiver, transmitter and channel.
  Byte receiver_number = 0;
  Byte transmitter_number = 1;
  Byte channel_number = 1;
  // The current receiver record.
  ReceiverRecord& current_receiver() { return *receivers[receiver_number]; }
  const ReceiverRecord& current_receiver() const { return *receivers[receiver_number]; }

  // Whether changes go to the receiver as they are made, and the port the
  // link opens.
  bool online = false;
  std::string selected_port;

  // The message table and the ten menu screens, loaded at start-up.
  MESSAGES messages{};
  MenuScreens screens{};

  // Colour roles (numbers of the 16-colour text palette); init_model picks
  // the monochrome set for "BW".
  Byte menu_text = kWhite;
  Byte main_text = kWhite;
  Byte background = kBlue;
  Byte bar_text = kRed;
  Byte error_bar = kRed;
  Byte menu_background = kMagenta;

  // The menu: the value column (the text shown after the label of cell
  // [column][row]), the highlighted cell and the screen being shown.
  Indexed<Indexed<Text<16>, 1, 12>, 1, 2> value_column{};
  Byte cursor_column = 1;
  Byte cursor_row = 1;
  Byte screen_number = 0;

  // The command-line arguments after the program name.
  std::vector<std::string> arguments;

  // The machine's serial ports as last scanned (whole names, however long).
  Indexed<std::string, 1, 40> port_names{};
  Byte port_count = 0;

  // The start directory, and the working directory as last entered.
  Text<255> start_directory;
  Text<255> working_directory;

  // The base name last used by save or load, offered as the next default.
  Text<12> file_base_name;

  // The report: the receiver reported, the destination file name, and the
  // destination (1..3 the printers LPT1..LPT3, 4 the file report_file).
  Byte report_receiver = 0;
  Text<12> report_file = "out.txt";
  Byte report_destination = 1;

  // Reserved-channel flag of the transmitter last displayed: while true,
  // channel 16 of that transmitter is its cold-junction sensor and its input
  // type, output zero and gain cannot be changed.
  bool reserved_channel = false;
};

}  // namespace kdv::model
