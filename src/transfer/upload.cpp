#include "transfer/upload.h"

#include <string>

#include "link/comms.h"
#include "model/globals.h"
#include "ui/crt.h"
#include "ui/wind.h"

namespace upload {

using namespace globals;

namespace {

// The receiver readings of an upload, in the order they are made.
using ReceiverReading = void (*)(int);
constexpr ReceiverReading RECEIVER_READINGS[] = {
    comms::READ_TAG,      comms::READ_DATAFMT, comms::READ_TEMP,     comms::READ_NO_TX,
    comms::READ_VERS,     comms::READ_COMMS,   comms::READ_ADDRESS,  comms::READ_CHECKSUM,
    comms::READ_CSUMMODE, comms::READ_SWITCHES, comms::READ_LINEREJ,
};

}  // namespace

void UPLOAD_TX(std::uint8_t RX, std::uint8_t TX) {
  comms::READ_TXTYPE(RX, TX);
  const int channels = RECEIVER[RX]->TRANSMITTER[TX].TXTYPE == 2 ? 8 : 16;
  for (int k = 1; k <= channels; ++k) {
    crt::GotoXY(1, 25);
    if (!MSGERROR)
      crt::Write(" Uploading  Rx " + wind::STG(RX, 2) + " Tx " + wind::STG(TX, 2) + " Ch " +
                 wind::STG(k, 2));
    comms::READ_SCALES(RX, TX, k);
    comms::READ_ALARMS(RX, TX, k);
    comms::READ_INPTYPE(RX, TX, k);
  }
}

void GETDAT(std::uint8_t I) {
  crt::Window(1, 1, 80, 25);
  MSGERROR = false;
  crt::TextBackground(0);
  crt::GotoXY(1, 25);
  crt::Write(std::string(67, ' '));
  crt::GotoXY(1, 25);
  crt::Write(" Uploading Configuration ");
  MSGERROR = false;
  for (ReceiverReading reading : RECEIVER_READINGS) {
    reading(I);
    if (BREAKOUT) return;
  }
  if (!MSGERROR) {
    for (int t = 1; t <= RECEIVER[I]->NO_OF_TX; ++t) {
      UPLOAD_TX(I, static_cast<std::uint8_t>(t));
      if (BREAKOUT) return;
    }
  }
  if (MSGERROR) {
    comms::WRTERROR_BLANKED(23);
  } else {
    RECEIVER_PRESENT[I] = true;
    GLOBDAT.RXCONFIG[I] = true;
  }
  crt::TextBackground(0);
  crt::GotoXY(1, 25);
  crt::Write(std::string(51, ' '));
}

void UPLOAD() {
  GETDAT(0);
  if (BREAKOUT) comms::WRTERROR_BLANKED(23);
}

}  // namespace upload
