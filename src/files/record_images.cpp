// The ".gdt" and ".rxd" byte images. One table of fields and offsets serves
// both directions: the encoder and the decoder walk the same list.
#include <bit>
#include <cstring>

#include "files/record_images.h"
#include "model/text.h"

namespace kdv::files {

using kdv::model::AlarmState;
using kdv::model::Byte;

namespace {

class Encoder {
 public:
  explicit Encoder(std::span<std::uint8_t> out) : out_(out) {}

  void operator()(std::size_t at, Byte v) { out_[at] = v; }
  void operator()(std::size_t at, bool v) { out_[at] = v ? 1 : 0; }
  void operator()(std::size_t at, std::int32_t v) { put(at, static_cast<std::uint32_t>(v), 4); }
  void operator()(std::size_t at, AlarmState v) { put(at, static_cast<std::uint32_t>(v), 4); }
  void operator()(std::size_t at, double v) { put(at, std::bit_cast<std::uint64_t>(v), 8); }
  template <std::size_t N>
  void operator()(std::size_t at, const kdv::model::Text<N>& t) {
    out_[at] = static_cast<std::uint8_t>(t.size());
    std::memcpy(&out_[at + 1], t.view().data(), t.size());
  }

 private:
  void put(std::size_t at, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out_[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
  std::span<std::uint8_t> out_;
};

class Decoder {
 public:
  explicit Decoder(std::span<const std::uint8_t> in) : in_(in) {}

  void operator()(std::size_t at, Byte& v) { v = in_[at]; }
  void operator()(std::size_t at, bool& v) { v = in_[at] != 0; }
  void operator()(std::size_t at, std::int32_t& v) { v = static_cast<std::int32_t>(get(at, 4)); }
  void operator()(std::size_t at, AlarmState& v) {
    const std::uint64_t code = get(at, 4);
    v = code <= kdv::model::kOff ? static_cast<AlarmState>(code) : kdv::model::kOff;
  }
  void operator()(std::size_t at, double& v) { v = std::bit_cast<double>(get(at, 8)); }
  template <std::size_t N>
  void operator()(std::size_t at, kdv::model::Text<N>& t) {
    const std::size_t len = std::min<std::size_t>(in_[at], N);
    t.assign(std::string_view(reinterpret_cast<const char*>(&in_[at + 1]), len));
  }

 private:
  std::uint64_t get(std::size_t at, int bytes) const {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= static_cast<std::uint64_t>(in_[at + i]) << (8 * i);
    return v;
  }
  std::span<const std::uint8_t> in_;
};

// The field lists. Rec is the record, const for encoding.
template <class IO, class Rec>
void channel_fields(IO& io, std::size_t at, Rec& c) {
  io(at + 0, c.VALUE);
  io(at + 21, c.VUNIT);
  io(at + 24, c.HIGH_ALARM);
  io(at + 32, c.LOW_ALARM);
  io(at + 40, c.ALARM);
  io(at + 44, c.INPUT_TYPE);
  io(at + 45, c.THC_DRIVE);
  io(at + 48, c.SCALE_IPZERO);
  io(at + 56, c.SCALE_OPZERO);
  io(at + 64, c.SCALE_GAIN);
}

template <class IO, class Rec>
void transmitter_fields(IO& io, std::size_t at, Rec& t) {
  io(at + 0, t.TXTYPE);
  io(at + 1, t.CJTEMP);
  io(at + 22, t.CJUNIT);
  for (int k = 1; k <= 16; ++k) channel_fields(io, at + 32 + (k - 1) * kChannelBlock, t.CHANNEL[k]);
}

template <class IO, class Rec>
void receiver_fields(IO& io, Rec& r) {
  io(0, r.TAG_FIELD);
  io(26, r.HCAVER);
  io(37, r.IPVER);
  io(48, r.ADD_MODE);
  io(49, r.MOD_ADDRESSA);
  io(50, r.MOD_ADDRESSB);
  io(51, r.DATA_FORMAT);
  io(52, r.COMM_MODE);
  io(53, r.MOD_BAUD);
  io(54, r.MOD_PARITY);
  io(55, r.MOD_DBITS);
  io(56, r.MOD_STOP);
  io(57, r.MOD_MODE);
  io(58, r.CHECK_MODE);
  io(60, r.CHECKSUM);
  io(64, r.RAMCHKSUM);
  io(68, r.CKSUM_BASE);
  io(69, r.NO_OF_TX);
  io(70, r.UNITS);
  io(71, r.STATUS1);
  io(72, r.STATUS2);
  io(73, r.HW1);
  io(74, r.HW2);
  io(75, r.ELD);
  io(76, r.SYSFAIL);
  io(77, r.LINE_REJ);
  io(78, r.HCASWITCH);
  io(79, r.IPSWITCH);
  for (int t = 1; t <= 4; ++t) transmitter_fields(io, 80 + (t - 1) * kTransmitterBlock, r.TRANSMITTER[t]);
}

template <class IO, class Rec>
void flag_fields(IO& io, Rec& f) {
  for (int n = 0; n <= 15; ++n) io(static_cast<std::size_t>(n), f.RXCONFIG[n]);
}

static_assert(80 + 4 * kTransmitterBlock == kRxdSize);
static_assert(32 + 16 * kChannelBlock == kTransmitterBlock);

}  // namespace

GdtImage encode_gdt(const kdv::model::HeldFlagsRecord& flags) {
  GdtImage out{};
  Encoder io(out);
  flag_fields(io, flags);
  return out;
}

RxdImage encode_rxd(const kdv::model::ReceiverRecord& rx) {
  RxdImage out{};
  Encoder io(out);
  receiver_fields(io, rx);
  return out;
}

bool decode_gdt(std::span<const std::uint8_t> bytes, kdv::model::HeldFlagsRecord& flags) {
  if (bytes.size() < kGdtSize) return false;
  Decoder io(bytes);
  flag_fields(io, flags);
  return true;
}

bool decode_rxd(std::span<const std::uint8_t> bytes, kdv::model::ReceiverRecord& rx) {
  if (bytes.size() < kRxdSize) return false;
  Decoder io(bytes);
  receiver_fields(io, rx);
  // A receiver serves 1 to 4 transmitters; a damaged count reads as 1, as a
  // count the receiver reports out of range does.
  if (rx.NO_OF_TX < 1 || rx.NO_OF_TX > 4) rx.NO_OF_TX = 1;
  return true;
}

}  // namespace kdv::files
