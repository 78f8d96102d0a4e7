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
#include "model/globals.h"
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
  std::array<std::unique_ptr<RECIEVER_DATA>, 16> RECEIVER;
  // Per port and receiver number, the settings the link last read from the
  // receiver or wrote to it, by dotted key as the text format writes them:
  // the old values a change reports.
  std::map<std::pair<std::string, int>, std::map<std::string, std::string>> KNOWN_SETTINGS;
  // Downloads in progress: the changes they send report no old values.
  int DOWNLOADS = 0;
  Indexed<bool, 0, 15> RECEIVER_PRESENT{};
  CONFIG_DATA GLOBDAT{};
  // The current receiver, transmitter and channel.
  byte RECNO = 0;
  byte TXNO = 1;
  byte CHNO = 1;
  // The current receiver record.
  RECIEVER_DATA& RX() { return *RECEIVER[RECNO]; }
  const RECIEVER_DATA& RX() const { return *RECEIVER[RECNO]; }

  // Whether changes go to the receiver as they are made, and the port the
  // link opens.
  bool ONLINE = false;
  std::string SELECTED_PORT_NAME;

  // The message table and the ten menu screens, loaded at start-up.
  MESSAGES MESSAGE{};
  SCREENS SCREEN{};

  // Colour roles (numbers of the 16-colour text palette); INITCOMMS picks
  // the monochrome set for "BW".
  byte MENUTEXT = kWhite;
  byte MAINTEXT = kWhite;
  byte BACK = kBlue;
  byte BARTEXT = kRed;
  byte ERRBAR = kRed;
  byte MENU = kMagenta;
  byte GRAPHBACK = kBlue;
  byte NORMFILL = kLightBlue;
  byte ALARMFILL = kRed;

  // The menu: the value column (the text shown after the label of cell
  // [column][row]), the highlighted cell and the screen being shown.
  Indexed<Indexed<Text<16>, 1, 12>, 1, 2> DISP{};
  byte XCUR = 1;
  byte YCUR = 1;
  byte SCNO = 0;

  // The command-line arguments after the program name.
  std::vector<std::string> ARGUMENTS;

  // The machine's serial ports as last scanned (whole names, however long).
  Indexed<std::string, 1, 40> COM_PORT_NAME{};
  byte NO_OF_PORTS = 0;

  // The start directory, and the working directory as last entered.
  Text<255> PATH;
  Text<255> NAME;

  // The base name last used by save or load, offered as the next default.
  Text<12> FILENAME;

  // The report: the receiver reported, the destination file name, and the
  // destination (1..3 the printers LPT1..LPT3, 4 the file HCFILE).
  byte REPORT_RX = 0;
  Text<12> HCFILE = "out.txt";
  byte LPT = 1;

  // Reserved-channel flag of the transmitter last displayed: while true,
  // channel 16 of that transmitter is its cold-junction sensor and its input
  // type, output zero and gain cannot be changed.
  bool RTD = false;
};

}  // namespace kdv::model
