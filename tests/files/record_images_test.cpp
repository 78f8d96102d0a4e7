#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "files/record_images.h"

using namespace kdv::model;

namespace {

// Little-endian reads straight from an image, independent of the encoder.
std::uint64_t le(const std::uint8_t* p, int n) {
  std::uint64_t v = 0;
  for (int i = 0; i < n; ++i) v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
  return v;
}
double real_at(const kdv::files::RxdImage& b, std::size_t at) {
  return std::bit_cast<double>(le(&b[at], 8));
}
std::string text_at(const kdv::files::RxdImage& b, std::size_t at) {
  return std::string(reinterpret_cast<const char*>(&b[at + 1]), b[at]);
}
std::size_t channel_at(int t, int k) { return 80 + (t - 1) * 1184 + 32 + (k - 1) * 72; }

// A record with a different value in every field, derived from the
// transmitter and channel numbers.
ReceiverRecord distinct_record() {
  ReceiverRecord r;
  r.TAG_FIELD = "Boiler house north 12345";
  r.HCAVER = "HCA 4.10";
  r.IPVER = "IP 2.07b";
  r.ADD_MODE = true;
  r.MOD_ADDRESSA = 17;
  r.MOD_ADDRESSB = 201;
  r.DATA_FORMAT = 9;
  r.COMM_MODE = true;
  r.MOD_BAUD = 7;
  r.MOD_PARITY = 2;
  r.MOD_DBITS = 1;
  r.MOD_STOP = 2;
  r.MOD_MODE = 3;
  r.CHECK_MODE = 4;
  r.CHECKSUM = -123456789;
  r.RAMCHKSUM = 0x12345678;
  r.CKSUM_BASE = 5;
  r.NO_OF_TX = 3;
  r.UNITS = 2;
  r.STATUS1 = 0xA5;
  r.STATUS2 = 0x5A;
  r.HW1 = true;
  r.HW2 = false;
  r.ELD = true;
  r.SYSFAIL = true;
  r.LINE_REJ = 1;
  r.HCASWITCH = 0x81;
  r.IPSWITCH = 0x42;
  for (int t = 1; t <= 4; ++t) {
    TransmitterRecord& tx = r.TRANSMITTER[t];
    tx.TXTYPE = static_cast<Byte>(t % 2 + 1);
    tx.CJTEMP = "  " + std::to_string(20 + t) + ".5";
    tx.CJUNIT = std::string{kDegreeSign, static_cast<char>('A' + t)};
    for (int k = 1; k <= 16; ++k) {
      ChannelRecord& c = tx.CHANNEL[k];
      const int n = t * 100 + k;
      c.VALUE = "v" + std::to_string(n);
      c.VUNIT = std::string{'u', static_cast<char>('a' + k)};
      c.HIGH_ALARM = n + 0.25;
      c.LOW_ALARM = -n - 0.5;
      c.ALARM = static_cast<AlarmState>(n % 3);
      c.INPUT_TYPE = static_cast<Byte>(k + t);
      c.THC_DRIVE = static_cast<Byte>(k % 3);
      c.SCALE_IPZERO = n * 1.5;
      c.SCALE_OPZERO = n * -2.0;
      c.SCALE_GAIN = 1.0 / n;
    }
  }
  return r;
}

TEST(RxdImage, EveryFieldAtItsOffset) {
  const ReceiverRecord r = distinct_record();
  const kdv::files::RxdImage b = kdv::files::encode_rxd(r);
  ASSERT_EQ(b.size(), 4816u);
  EXPECT_EQ(text_at(b, 0), "Boiler house north 12345");
  EXPECT_EQ(b[0], 24);
  EXPECT_EQ(text_at(b, 26), "HCA 4.10");
  EXPECT_EQ(text_at(b, 37), "IP 2.07b");
  const std::vector<std::pair<std::size_t, int>> bytes = {
      {48, 1},  {49, 17}, {50, 201}, {51, 9},    {52, 1},    {53, 7},  {54, 2},
      {55, 1},  {56, 2},  {57, 3},   {58, 4},    {59, 0},    {68, 5},  {69, 3},
      {70, 2},  {71, 0xA5}, {72, 0x5A}, {73, 1}, {74, 0},    {75, 1},  {76, 1},
      {77, 1},  {78, 0x81}, {79, 0x42}};
  for (auto [at, v] : bytes) EXPECT_EQ(b[at], v) << "offset " << at;
  EXPECT_EQ(static_cast<std::int32_t>(le(&b[60], 4)), -123456789);
  EXPECT_EQ(le(&b[64], 4), 0x12345678u);
  for (int t = 1; t <= 4; ++t) {
    const std::size_t tx = 80 + (t - 1) * 1184;
    EXPECT_EQ(b[tx], t % 2 + 1);
    EXPECT_EQ(text_at(b, tx + 1), "  " + std::to_string(20 + t) + ".5");
    EXPECT_EQ(text_at(b, tx + 22), (std::string{kDegreeSign, static_cast<char>('A' + t)}));
    for (std::size_t pad = tx + 25; pad < tx + 32; ++pad) EXPECT_EQ(b[pad], 0);
    for (int k = 1; k <= 16; ++k) {
      const std::size_t c = channel_at(t, k);
      const int n = t * 100 + k;
      SCOPED_TRACE("transmitter " + std::to_string(t) + " channel " + std::to_string(k));
      EXPECT_EQ(text_at(b, c), "v" + std::to_string(n));
      EXPECT_EQ(text_at(b, c + 21), (std::string{'u', static_cast<char>('a' + k)}));
      EXPECT_EQ(real_at(b, c + 24), n + 0.25);
      EXPECT_EQ(real_at(b, c + 32), -n - 0.5);
      EXPECT_EQ(le(&b[c + 40], 4), static_cast<std::uint64_t>(n % 3));
      EXPECT_EQ(b[c + 44], k + t);
      EXPECT_EQ(b[c + 45], k % 3);
      EXPECT_EQ(b[c + 46], 0);
      EXPECT_EQ(b[c + 47], 0);
      EXPECT_EQ(real_at(b, c + 48), n * 1.5);
      EXPECT_EQ(real_at(b, c + 56), n * -2.0);
      EXPECT_EQ(real_at(b, c + 64), 1.0 / n);
    }
  }
}

TEST(RxdImage, RoundTripKeepsEveryField) {
  const ReceiverRecord r = distinct_record();
  ReceiverRecord back;
  ASSERT_TRUE(kdv::files::decode_rxd(kdv::files::encode_rxd(r), back));
  // Encoding again compares every field, including all 64 channel blocks.
  EXPECT_EQ(kdv::files::encode_rxd(back), kdv::files::encode_rxd(r));
  EXPECT_EQ(back, r);
}

TEST(RxdImage, HandWrittenBytesLoadIntoTheRightFields) {
  std::vector<std::uint8_t> b(4816, 0xEE);  // padding and unused text bytes carry junk
  auto put_text = [&](std::size_t at, std::string_view s) {
    b[at] = static_cast<std::uint8_t>(s.size());
    std::memcpy(&b[at + 1], s.data(), s.size());
  };
  auto put_le = [&](std::size_t at, std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  put_text(0, "PUMP ROOM");
  put_text(26, "1.2");
  put_text(37, "3.4");
  b[48] = 0;
  b[49] = 12;
  b[50] = 34;
  b[51] = 16;
  b[52] = 1;
  b[53] = 6;
  b[54] = 1;
  b[55] = 0;
  b[56] = 1;
  b[57] = 2;
  b[58] = 1;
  put_le(60, 0xFFFFFFFE, 4);
  put_le(64, 77, 4);
  b[68] = 3;
  b[69] = 2;
  b[70] = 3;
  b[71] = 0x10;
  b[72] = 0x20;
  b[73] = 1;
  b[74] = 1;
  b[75] = 0;
  b[76] = 0;
  b[77] = 1;
  b[78] = 0x0F;
  b[79] = 0xF0;
  const std::size_t tx2 = 80 + 1184;
  b[tx2] = 2;
  put_text(tx2 + 1, "   23.4");
  put_text(tx2 + 22, "mA");
  const std::size_t c = channel_at(2, 5);
  put_text(c, "   12.0000");
  put_text(c + 21, "mA");
  put_le(c + 24, std::bit_cast<std::uint64_t>(20.5), 8);
  put_le(c + 32, std::bit_cast<std::uint64_t>(-3.25), 8);
  put_le(c + 40, 1, 4);
  b[c + 44] = 13;
  b[c + 45] = 2;
  put_le(c + 48, std::bit_cast<std::uint64_t>(4.0), 8);
  put_le(c + 56, std::bit_cast<std::uint64_t>(-100.0), 8);
  put_le(c + 64, std::bit_cast<std::uint64_t>(6.25), 8);

  ReceiverRecord r;
  ASSERT_TRUE(kdv::files::decode_rxd(b, r));
  EXPECT_EQ(r.TAG_FIELD, "PUMP ROOM");
  EXPECT_EQ(r.HCAVER, "1.2");
  EXPECT_EQ(r.IPVER, "3.4");
  EXPECT_FALSE(r.ADD_MODE);
  EXPECT_EQ(r.MOD_ADDRESSA, 12);
  EXPECT_EQ(r.MOD_ADDRESSB, 34);
  EXPECT_EQ(r.DATA_FORMAT, 16);
  EXPECT_TRUE(r.COMM_MODE);
  EXPECT_EQ(r.MOD_BAUD, 6);
  EXPECT_EQ(r.MOD_PARITY, 1);
  EXPECT_EQ(r.MOD_DBITS, 0);
  EXPECT_EQ(r.MOD_STOP, 1);
  EXPECT_EQ(r.MOD_MODE, 2);
  EXPECT_EQ(r.CHECK_MODE, 1);
  EXPECT_EQ(r.CHECKSUM, -2);
  EXPECT_EQ(r.RAMCHKSUM, 77);
  EXPECT_EQ(r.CKSUM_BASE, 3);
  EXPECT_EQ(r.NO_OF_TX, 2);
  EXPECT_EQ(r.UNITS, 3);
  EXPECT_EQ(r.STATUS1, 0x10);
  EXPECT_EQ(r.STATUS2, 0x20);
  EXPECT_TRUE(r.HW1);
  EXPECT_TRUE(r.HW2);
  EXPECT_FALSE(r.ELD);
  EXPECT_FALSE(r.SYSFAIL);
  EXPECT_EQ(r.LINE_REJ, 1);
  EXPECT_EQ(r.HCASWITCH, 0x0F);
  EXPECT_EQ(r.IPSWITCH, 0xF0);
  const TransmitterRecord& t = r.TRANSMITTER[2];
  EXPECT_EQ(t.TXTYPE, 2);
  EXPECT_EQ(t.CJTEMP, "   23.4");
  EXPECT_EQ(t.CJUNIT, "mA");
  const ChannelRecord& ch = t.CHANNEL[5];
  EXPECT_EQ(ch.VALUE, "   12.0000");
  EXPECT_EQ(ch.VUNIT, "mA");
  EXPECT_EQ(ch.HIGH_ALARM, 20.5);
  EXPECT_EQ(ch.LOW_ALARM, -3.25);
  EXPECT_EQ(ch.ALARM, kLow);
  EXPECT_EQ(ch.INPUT_TYPE, 13);
  EXPECT_EQ(ch.THC_DRIVE, 2);
  EXPECT_EQ(ch.SCALE_IPZERO, 4.0);
  EXPECT_EQ(ch.SCALE_OPZERO, -100.0);
  EXPECT_EQ(ch.SCALE_GAIN, 6.25);
  // The untouched neighbours read the junk, whole and unharmed.
  EXPECT_EQ(t.CHANNEL[6].INPUT_TYPE, 0xEE);
  EXPECT_EQ(t.CHANNEL[6].VALUE.size(), 20u);  // length 0xEE clamped
  EXPECT_EQ(t.CHANNEL[6].ALARM, kOff);         // 0xEEEEEEEE is no alarm state
}

TEST(RxdImage, UntrustedBytesAreReadSafely) {
  ReceiverRecord r = distinct_record();
  kdv::files::RxdImage b = kdv::files::encode_rxd(r);
  b[0] = 255;  // tag length above its capacity of 25
  b[26] = 11;  // one above the capacity of 10
  const std::size_t c = channel_at(1, 1);
  b[c + 40] = 9;  // alarm state 9
  b[c + 21] = 3;
  b[48] = 7;  // a boolean byte other than 0 or 1
  b[69] = 9;  // nine transmitters
  ReceiverRecord back;
  ASSERT_TRUE(kdv::files::decode_rxd(b, back));
  EXPECT_EQ(back.NO_OF_TX, 1);
  EXPECT_EQ(back.TAG_FIELD.size(), 25u);
  EXPECT_EQ(back.TAG_FIELD.view().substr(0, 24), "Boiler house north 12345");
  EXPECT_EQ(back.HCAVER.size(), 10u);
  EXPECT_EQ(back.TRANSMITTER[1].CHANNEL[1].ALARM, kOff);
  EXPECT_EQ(back.TRANSMITTER[1].CHANNEL[1].VUNIT.size(), 2u);
  EXPECT_TRUE(back.ADD_MODE);
  for (std::uint32_t code : {3u, 0x80000000u, 0xFFFFFFFFu}) {
    for (int i = 0; i < 4; ++i) b[c + 40 + i] = static_cast<std::uint8_t>(code >> (8 * i));
    ASSERT_TRUE(kdv::files::decode_rxd(b, back));
    EXPECT_EQ(back.TRANSMITTER[1].CHANNEL[1].ALARM, kOff) << code;
  }
  for (int count : {0, 1, 4, 5, 255}) {
    b[69] = static_cast<std::uint8_t>(count);
    ASSERT_TRUE(kdv::files::decode_rxd(b, back));
    EXPECT_EQ(back.NO_OF_TX, count >= 1 && count <= 4 ? count : 1) << count;
  }
}

TEST(RxdImage, ShortImageIsRefusedAndChangesNothing) {
  const ReceiverRecord r = distinct_record();
  const kdv::files::RxdImage b = kdv::files::encode_rxd(r);
  ReceiverRecord target;
  target.TAG_FIELD = "unchanged";
  const ReceiverRecord before = target;
  EXPECT_FALSE(kdv::files::decode_rxd(std::span(b).first(4815), target));
  EXPECT_EQ(target, before);
  EXPECT_FALSE(kdv::files::decode_rxd({}, target));
  HeldFlagsRecord f;
  f.RXCONFIG[3] = true;
  const kdv::files::GdtImage g = kdv::files::encode_gdt(f);
  EXPECT_FALSE(kdv::files::decode_gdt(std::span(g).first(15), f));
}

TEST(GdtImage, SixteenFlagBytes) {
  HeldFlagsRecord f;
  f.RXCONFIG[0] = true;
  f.RXCONFIG[7] = true;
  f.RXCONFIG[15] = true;
  const kdv::files::GdtImage g = kdv::files::encode_gdt(f);
  ASSERT_EQ(g.size(), 16u);
  for (int n = 0; n < 16; ++n) EXPECT_EQ(g[n], (n == 0 || n == 7 || n == 15) ? 1 : 0) << n;
  HeldFlagsRecord back;
  const std::array<std::uint8_t, 16> hand = {0, 1, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  ASSERT_TRUE(kdv::files::decode_gdt(hand, back));
  for (int n = 0; n < 16; ++n) EXPECT_EQ(back.RXCONFIG[n], n == 1 || n == 4 || n == 15) << n;
}

}  // namespace
