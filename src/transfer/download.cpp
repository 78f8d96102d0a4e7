#include "transfer/download.h"

#include <algorithm>
#include <string>

#include "link/comms.h"
#include "model/globals.h"
#include "ui/crt.h"
#include "ui/wind.h"

namespace download {

using namespace globals;

namespace {

// The receiver settings a download writes, in the order they are written.
using ReceiverSetting = void (*)(int);
constexpr ReceiverSetting RECEIVER_SETTINGS[] = {
    comms::SET_TAG,   comms::SET_DATAFMT, comms::SET_TEMP,    comms::SET_NO_TX,
    comms::SET_COMMS, comms::SET_LINEREJ, comms::SET_ADDRESS,
};

void BLANK_PROGRESS() {
  crt::TextBackground(0);
  crt::GotoXY(1, 25);
  crt::Write(std::string(35, ' '));
}

// Writes transmitter J of receiver RX: its type, then per channel the input
// type, the scaling and the alarms, under a progress text when `progress`. A
// type other than 1 or 2 (only a damaged file gives one) is written with 16
// channels.
void DLTRANSMIT(std::uint8_t RX, int J, bool progress) {
  comms::SET_TXTYPE(RX, J);
  if (BREAKOUT) return;
  const int channels = RECEIVER[RX]->TRANSMITTER[J].TXTYPE == 2 ? 8 : 16;
  for (int k = 1; k <= channels; ++k) {
    if (progress) {
      crt::GotoXY(1, 25);
      if (!MSGERROR) crt::Write(" Downloading  Tx " + wind::STG(J, 2) + " Ch " + wind::STG(k, 2));
    }
    comms::SET_INPTYPE(RX, J, k);
    if (BREAKOUT) return;
    comms::SET_SCALES(RX, J, k);
    if (BREAKOUT) return;
    comms::SET_ALARMS(RX, J, k);
    if (BREAKOUT) return;
  }
}

// The writes of a download of receiver RX and the transmitters chosen by code
// TX, in order. False when an abandoned exchange ends them where the download
// returns at once: in the receiver settings or in a loop over transmitters
// (the single transmitter of codes 1..4 is not tested).
bool WRITES(std::uint8_t RX, std::uint8_t TX, bool progress) {
  for (ReceiverSetting setting : RECEIVER_SETTINGS) {
    setting(RX);
    if (BREAKOUT) return false;
  }
  if (TX >= 1 && TX <= 4) {
    DLTRANSMIT(RX, TX, progress);
  } else if (TX == TX_CONFIGURED || TX == TX_ALL) {
    // No fifth transmitter exists, whatever the record's count says.
    const int last = TX == TX_ALL ? 4 : std::min<int>(RECEIVER[RX]->NO_OF_TX, 4);
    for (int j = 1; j <= last; ++j) {
      DLTRANSMIT(RX, j, progress);
      if (BREAKOUT) return false;
    }
  }
  return true;
}

}  // namespace

void DUMP(std::uint8_t RX, std::uint8_t TX) {
  crt::Window(1, 1, 80, 25);
  crt::TextBackground(0);
  crt::GotoXY(1, 25);
  crt::Write(" Downloading Rx" + wind::STG(RX, 2) + std::string(24, ' '));
  MSGERROR = false;
  RECEIVER_PRESENT[RX] = true;
  MSGERROR = false;
  // Nothing goes out unless every value can; the check itself sends nothing,
  // so an abort left over from an earlier exchange must not cut it short.
  BREAKOUT = false;
  if (comms::SENDABLE([RX, TX] { WRITES(RX, TX, false); }) && !WRITES(RX, TX, true)) return;
  if (MSGERROR) comms::WRTERROR_BLANKED(24);
  BLANK_PROGRESS();
}

void COPYDOWN(std::uint8_t RX, std::uint8_t TX) {
  DUMP(RX, TX);
  if (MSGERROR) comms::WRTERROR_BLANKED(24);
  BLANK_PROGRESS();
}

void DOWNLOAD() { COPYDOWN(0, TX_CONFIGURED); }

void SIGNOFFMESS() {
  ESCAPE = false;
  constexpr int X = 22, Y = 15;
  wind::NORMAL();
  crt::Window(X - 1, Y - 1, X + 35, Y + 6);
  crt::ClrScr();
  wind::SETWINDOW(X, Y, 36, 7);
  crt::GotoXY(15, 1);
  crt::Write("SIGNOFF");
  crt::GotoXY(3, 3);
  crt::Write("Before sending this command the");
  crt::GotoXY(3, 4);
  crt::Write("configuration link on the KDV578");
  crt::GotoXY(3, 5);
  crt::Write("should be removed.");
  wind::NORMAL();
  crt::Window(1, 1, 80, 25);
  crt::GotoXY(1, 25);
  crt::TextBackground(0);
  crt::Write(std::string(22, ' '));
  crt::TextBackground(ERRBAR);
  crt::Write(" Any key to Continue, ESC to abort");
  if (crt::ReadKey() == crt::KEY_ESC) ESCAPE = true;
  wind::NORMAL();
  crt::Window(1, 1, 80, 25);
}

void SIGNOFF() {
  SIGNOFFMESS();
  crt::Window(1, 1, 80, 25);
  crt::TextBackground(0);
  crt::GotoXY(1, 25);
  crt::Write(MESSAGE[53]);
  if (ESCAPE) return;
  MSGERROR = false;
  comms::SEND_CONFIRM(RECNO);
  comms::SEND_SIGNOFF(RECNO);
  crt::GotoXY(1, 25);
  crt::Write(std::string(12, ' '));
  if (MSGERROR) {
    crt::Window(1, 1, 80, 25);
    crt::GotoXY(5, 23);
    crt::TextBackground(ERRBAR);
    crt::Write(ERRMSG);
    crt::Write('\a');
    crt::Delay(2000);
  }
}

}  // namespace download
