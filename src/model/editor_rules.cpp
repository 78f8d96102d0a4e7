#include "model/editor_rules.h"

#include <algorithm>

namespace kdv::model {

bool is_tag_character(Byte c) {
  return c == ' ' || c == '.' || (c >= '0' && c <= ':') || (c >= '@' && c <= 'Z') || c == '\\' || c == '_' ||
         (c >= 'a' && c <= 'z');
}

bool entry_accepts(double v, bool whole) {
  const double lowest = whole ? 0 : -99999, highest = whole ? 255 : 99999;
  return v >= lowest && v <= highest;
}

int channel_count(Byte txtype) { return txtype == 1 ? 16 : 8; }

bool is_reserved_channel(const TransmitterRecord& tx, int ch) { return has_cold_junction_channel(tx) && ch == 16; }

bool alarms_apply(const TransmitterRecord& tx, int ch) {
  return !(tx.TXTYPE == 1 && tx.CHANNEL[ch].INPUT_TYPE == 15) && !is_reserved_channel(tx, ch);
}

bool drive_applies(const TransmitterRecord& tx, int ch) {
  return tx.TXTYPE != 2 && !(tx.TXTYPE == 1 && tx.CHANNEL[ch].INPUT_TYPE == 15);
}

bool offers_input_type(Byte txtype, int ch, Byte code) {
  if (txtype == 2) return code == 0 || code == 13 || code == 15;
  if (ch == 16 && (code == 13 || code == 14)) return false;
  return code <= 14 || (code >= 16 && code <= 27);
}

void clear_unipolar_negatives(ReceiverRecord& receiver) {
  for (int t = 1; t <= std::min<int>(receiver.NO_OF_TX, 4); ++t) {
    TransmitterRecord& transmitter = receiver.TRANSMITTER[t];
    const int channels = transmitter.TXTYPE == 1 ? 16 : transmitter.TXTYPE == 2 ? 8 : 0;
    for (int c = 1; c <= channels; ++c) {
      ChannelRecord& channel = transmitter.CHANNEL[c];
      for (double* v : {&channel.SCALE_OPZERO, &channel.SCALE_GAIN, &channel.HIGH_ALARM, &channel.LOW_ALARM})
        if (*v < 0) *v = 0;
    }
  }
}

}  // namespace kdv::model
