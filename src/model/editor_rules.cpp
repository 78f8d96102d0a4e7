#include "model/editor_rules.h"

#include <algorithm>

namespace kdv::model {

bool NAME_CHARACTER(byte c) {
  return c == ' ' || c == '.' || (c >= '0' && c <= ':') || (c >= '@' && c <= 'Z') || c == '\\' || c == '_' ||
         (c >= 'a' && c <= 'z');
}

bool ENTRY_ACCEPTS(double v, bool whole) {
  const double lowest = whole ? 0 : -99999, highest = whole ? 255 : 99999;
  return v >= lowest && v <= highest;
}

int CHANNELS(byte txtype) { return txtype == 1 ? 16 : 8; }

bool RESERVED_CHANNEL(const TRANSMITTER_DATA& tx, int ch) { return ISRTD(tx) && ch == 16; }

bool ALARMS_APPLY(const TRANSMITTER_DATA& tx, int ch) {
  return !(tx.TXTYPE == 1 && tx.CHANNEL[ch].INPUT_TYPE == 15) && !RESERVED_CHANNEL(tx, ch);
}

bool DRIVE_APPLIES(const TRANSMITTER_DATA& tx, int ch) {
  return tx.TXTYPE != 2 && !(tx.TXTYPE == 1 && tx.CHANNEL[ch].INPUT_TYPE == 15);
}

bool OFFERS_INPUT_TYPE(byte txtype, int ch, byte code) {
  if (txtype == 2) return code == 0 || code == 13 || code == 15;
  if (ch == 16 && (code == 13 || code == 14)) return false;
  return code <= 14 || (code >= 16 && code <= 27);
}

void SETUNIPOLAR(RECIEVER_DATA& R) {
  for (int t = 1; t <= std::min<int>(R.NO_OF_TX, 4); ++t) {
    TRANSMITTER_DATA& T = R.TRANSMITTER[t];
    const int channels = T.TXTYPE == 1 ? 16 : T.TXTYPE == 2 ? 8 : 0;
    for (int c = 1; c <= channels; ++c) {
      CHANNEL_DATA& C = T.CHANNEL[c];
      for (double* v : {&C.SCALE_OPZERO, &C.SCALE_GAIN, &C.HIGH_ALARM, &C.LOW_ALARM})
        if (*v < 0) *v = 0;
    }
  }
}

}  // namespace kdv::model
