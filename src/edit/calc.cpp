#include "edit/calc.h"

namespace calc {

using namespace globals;

namespace {

CHANNEL_DATA& channel() { return RX().TRANSMITTER[TXNO].CHANNEL[CHNO]; }

double offset() { return GETOFFSET(RX().DATA_FORMAT, channel().INPUT_TYPE); }

}  // namespace

double GETOFFSET(byte data_format, byte input_type) {
  if (!UNIPOLAR(data_format)) return 0.0;
  if (input_type == 0) return 100.0;
  if (input_type == 13 || input_type == 15) return 0.0;
  return 500.0;
}

double CALCOUT(double input) {
  const CHANNEL_DATA& ch = channel();
  return (offset() + input - ch.SCALE_IPZERO) * ch.SCALE_GAIN + ch.SCALE_OPZERO;
}

void CALCGAIN(double sigzero, double sigfsd, double opfsd) {
  if (sigfsd == sigzero) return;
  CHANNEL_DATA& ch = channel();
  ch.SCALE_GAIN = (opfsd - ch.SCALE_OPZERO) / (sigfsd - sigzero);
}

WORKING SETSTART() {
  const CHANNEL_DATA& ch = channel();
  WORKING w;
  w.SIGFSD = 100.0;
  w.SIGZERO = ch.SCALE_IPZERO - offset();
  w.OPFSD = (w.SIGFSD - w.SIGZERO) * ch.SCALE_GAIN + ch.SCALE_OPZERO;
  w.EXIN = 1.0;
  return w;
}

}  // namespace calc
